#include "image/bmp_codec.h"

// Not written yet: reading and writing fail.
int CBmpImpl::Read(const std::string&) { return 0; }
int CBmpImpl::Write(const std::string&) { return 0; }
