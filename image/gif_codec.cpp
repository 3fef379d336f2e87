#include "image/gif_codec.h"

// Not written yet: reading and writing fail.
int CGifImpl::Read(const std::string&) { return 0; }
int CGifImpl::Write(const std::string&) { return 0; }
