// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The map document: the one picture being mapped. Its file is the picture;
// the markup lives only in the pane.

#include <functional>
#include <memory>
#include <string>

#include "image/image.h"
#include "markup/area_markup.h"
#include "markup/markup_pane.h"

class CMapDoc {
public:
    CMapDoc() = default;
    CMapDoc(const CMapDoc&) = delete;
    CMapDoc& operator=(const CMapDoc&) = delete;

    // Opens a picture: type by extension, the new one loaded and checked,
    // then picture, path and title replaced and the skeleton written to the
    // pane. False when the extension is refused or the picture does not
    // load; then nothing has changed, and `failure` (may be null) says why.
    // `settings` shape the skeleton.
    bool OnOpenDocument(const std::string& path, const MarkupSettings& settings,
                        ze::Status* failure = nullptr);
    // The second half of an open, for a picture loaded elsewhere (by
    // LoadPicture, possibly on another thread): takes `image` as the
    // picture of `path`, sets path and title and writes the skeleton.
    void AdoptPicture(const std::string& path, std::unique_ptr<CImage> image,
                      const MarkupSettings& settings);

    // Writes the picture to `path` in the format of its extension (lowered:
    // "out.PNG" is PNG, "out.jpeg" JPEG), encoded as `options` say. A
    // picture held in 128 colours is written into another format from its
    // file's own colours, read again for the write. The path and title stay
    // as they are. kNoFileName for an empty name (a cancelled dialog),
    // kNotSavable, kNothingOpen, or why the writer failed (the file that was
    // there is untouched then).
    ze::Status SavePicture(const std::string& path, const ze::SaveOptions& options = {});

    // The pane the skeleton is written to (not owned; may be null).
    void SetPane(MarkupPane* pane) { m_pPane = pane; }
    MarkupPane* GetPane() const { return m_pPane; }

    // Called with the path after each successful open, before the skeleton
    // is written (the application adds it to the recent-file list).
    void SetOnPathSet(std::function<void(const std::string&)> callback) {
        m_onPathSet = std::move(callback);
    }

    const std::string& GetPathName() const { return m_strPathName; }
    // The last path component with its extension; empty before the first open.
    const std::string& GetTitle() const { return m_strTitle; }
    // Sets path and title as a successful open does (Save with a new name).
    void SetPathName(const std::string& path);

    std::unique_ptr<CImage> m_pImage;  // null while no picture is loaded

private:
    MarkupPane* m_pPane = nullptr;
    std::function<void(const std::string&)> m_onPathSet;
    std::string m_strPathName;
    std::string m_strTitle;
};

// Whether a picture of `sourceType` read without `fullColour` holds fewer
// colours than its file (a colour JPEG is read in 128), so that a write into
// `targetType` should read the file again in its own colours. A write into
// the file's own format keeps the colours held.
bool ReadAgainForSave(int sourceType, bool fullColour, int targetType);

// Loads the picture at `path` as type `type`, colour JPEGs in their own
// colours with `fullColour`; null when it does not load (no pixels), and
// then `failure` (may be null) says why. Touches no document or setting, so
// it may run on any thread.
std::unique_ptr<CImage> LoadPicture(const std::string& path, int type,
                                    ze::Status* failure = nullptr, bool fullColour = false);

// The skeleton's image line: <img src="SOURCE" width=W height=H alt=""
// usemap="#map_NAME"> and CR LF (the areas carry the names, so the image's
// own text is empty). Nothing is escaped or cut.
std::string FormatImageLine(const std::string& source, int width, int height,
                            const std::string& mapName);
// The skeleton's map element: <map name="map_NAME">, CR LF, </map>.
std::string FormatMapLines(const std::string& mapName);
// Empties the pane and writes the two skeleton pieces at its caret, each
// upper-cased outside quotes when `upperCase` is on. The inside-quotes flag
// runs on from the first piece.
void WriteSkeleton(MarkupPane& pane, const std::string& source, int width, int height,
                   const std::string& mapName, bool upperCase);
