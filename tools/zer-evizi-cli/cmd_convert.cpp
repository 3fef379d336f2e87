// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli convert IN OUT: loads IN and saves it as OUT in the format
// of OUT's extension, as the editor's Save As does.

#include <cstdio>
#include <string>

#include "command.h"
#include "doc/picture_type.h"
#include "image/flatten.h"
#include "image/image.h"
#include "io/safe_write.h"

namespace {

int Run(const cli::Args& args) {
    if (args.size() != 2) return cli::UsageOf("convert");
    const std::string& in = args[0];
    const std::string& out = args[1];
    const int inType = PictureTypeFromPath(in);
    if (inType < 0) return cli::Fail("unsupported format: " + in);
    const int outType = PictureTypeFromPath(out);
    if (outType < 0) return cli::Fail("unsupported format: " + out);
    CImage image(in, inType);
    if (image.GetWidth() <= 0 || image.GetHeight() <= 0)
        return cli::FailRead(in, image.GetReadFailure());
    // A format that keeps less alpha than the picture has: one line says so.
    if (const std::string note = ze::FlattenNote(image.Pixels(), outType, false); !note.empty())
        std::fprintf(stderr, "%s: %s\n", out.c_str(), note.c_str());
    if (!image.Save(out, outType))
        return cli::Fail("cannot write " + out + " (" + ze::WriteErrorText(image.GetWriteError()) +
                         ")");
    return cli::kOk;
}

const cli::Registration registration({"convert", "IN OUT", Run});

}  // namespace
