// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli convert IN OUT [--quality N] [--lossless]: loads IN and saves
// it as OUT in the format of OUT's extension, as the editor's Save As does.

#include <cstdio>
#include <optional>
#include <string>

#include "command.h"
#include "convert_rows.h"
#include "document/map_doc.h"
#include "document/picture_type.h"
#include "image/flatten.h"
#include "image/image.h"
#include "io/safe_write.h"

namespace {

struct ConvertArgs {
    std::string in, out;
    ze::SaveOptions options;
};

// The two paths and the options in any order; a usage error (said on
// stderr) when they are not that.
std::optional<ConvertArgs> Parse(const cli::Args& args, int* status) {
    ConvertArgs parsed;
    std::vector<std::string> paths;
    bool quality = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--quality" && !quality) {
            const std::optional<int> n =
                i + 1 < args.size() ? cli::ParseInt(args[++i]) : std::nullopt;
            if (!n || *n < 1 || *n > 100) {
                *status = cli::Fail("--quality takes a whole number from 1 to 100");
                return std::nullopt;
            }
            parsed.options.quality = *n;
            quality = true;
        } else if (a == "--lossless" && !parsed.options.lossless) {
            parsed.options.lossless = true;
        } else if (a.starts_with("--")) {
            *status = cli::UsageOf("convert");
            return std::nullopt;
        } else {
            paths.push_back(a);
        }
    }
    if (paths.size() != 2) {
        *status = cli::UsageOf("convert");
        return std::nullopt;
    }
    parsed.in = paths[0];
    parsed.out = paths[1];
    return parsed;
}

// The options a format takes: a quality for JPEG, WebP and AVIF, lossless
// for WebP and AVIF (and then no quality). Empty when they fit, else why not.
std::string OptionsMisfit(const ze::SaveOptions& options, int type) {
    const PictureTypeInfo* format = FindPictureType(type);
    const bool lossy = format && format->quality;
    const bool canLossless = format && format->lossless;
    if (options.lossless && !canLossless) return "--lossless is for WebP and AVIF only";
    if (options.quality != 0 && !lossy) return "--quality is for JPEG, WebP and AVIF only";
    if (options.quality != 0 && options.lossless)
        return "--quality and --lossless exclude each other";
    return {};
}

int Run(const cli::Args& args) {
    int status = cli::kOk;
    const std::optional<ConvertArgs> parsed = Parse(args, &status);
    if (!parsed) return status;
    const std::string& in = parsed->in;
    const std::string& out = parsed->out;
    const int inType = PictureTypeFromPath(in);
    if (inType < 0) return cli::Fail("unsupported format: " + in);
    const int outType = PictureTypeFromPath(out);
    if (outType < 0) return cli::Fail("unsupported format: " + out);
    if (const std::string misfit = OptionsMisfit(parsed->options, outType); !misfit.empty())
        return cli::Fail(misfit);
    // Where the pair allows it the rows go from one file to the other as
    // they are decoded; else, or when that fails, the picture is read whole.
    if (cli::ConvertRowByRow(in, inType, out, outType, parsed->options)) return cli::kOk;
    cli::DiscardMessages();
    // Into another format the picture goes with its file's own colours.
    CImage image;
    if (const int loaded = cli::LoadPicture(in, ReadAgainForSave(inType, false, outType), &image);
        loaded != cli::kOk)
        return loaded;
    // A format that keeps less alpha than the picture has: one line says so.
    if (const std::string note = ze::FlattenNote(image.Pixels(), outType, false); !note.empty())
        std::fprintf(stderr, "%s: %s\n", out.c_str(), note.c_str());
    if (!image.Save(out, outType, parsed->options)) {
        return cli::Fail("cannot write " + out + " (" +
                         ze::StatusText(image.GetWriteError(), ze::TextLanguage::kEnglish) + ")");
    }
    return cli::kOk;
}

const cli::Registration registration({"convert", "IN OUT [--quality N] [--lossless]", Run});

}  // namespace
