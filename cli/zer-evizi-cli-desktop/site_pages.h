// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pages of a check run: each PATH a page (or "-"), or a folder walked
// for *.html, *.htm and *.xhtml and the file names that --include globs
// match. Links to folders are not followed, so a link back up the tree
// cannot make the walk go round.

#include <string>
#include <vector>

namespace cli {

// The pages, folders' pages sorted by path, in the order of `paths`. False,
// with the path in *missing, when a PATH is neither a file nor a folder.
bool ListSitePages(const std::vector<std::string>& paths, const std::vector<std::string>& globs,
                   std::vector<std::string>* pages, std::string* missing);

}  // namespace cli
