// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding the picture of an image's src as a browser would on the site:
// relative to the page, "/..." from the site's root folder when one is
// given, query and fragment left out, data: pictures read from the page
// itself. What cannot be had is said in a few words (the picture-missing
// finding), never a failure of the whole run.

#include <map>
#include <mutex>
#include <string>

#include "markup/map_check.h"

namespace cli {

// Pictures already read, shared by the pages of one run (and its threads).
class CPictureCache {
public:
    // The size or the reason stored for a path; false when not read yet.
    bool Find(const std::string& path, PictureLookup* out);
    void Store(const std::string& path, const PictureLookup& lookup);

private:
    std::mutex m_mutex;
    std::map<std::string, PictureLookup> m_read;
};

// The picture `source` names for the page at `page` ("-": the current
// folder) with the site's root folder `root` (empty: none given).
PictureLookup LookUpPicture(const std::string& page, const std::string& source,
                            const std::string& root, CPictureCache* cache);

// The picture in the file at `path` (--picture FILE).
PictureLookup LookUpPictureFile(const std::string& path, CPictureCache* cache);

// The file `source` names, as LookUpPicture reads it: the local path, or
// empty with the reason in *why.
std::string ResolvePictureSource(const std::string& page, const std::string& source,
                                 const std::string& root, std::string* why);

}  // namespace cli
