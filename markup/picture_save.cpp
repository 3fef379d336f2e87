#include "markup/picture_save.h"

#include "image/image_types.h"

bool WriteBackLoses(int fileType, bool lossyLoad) {
    return lossyLoad || fileType == kImageJpeg;
}

SaveRoute DecideSave(const SaveSituation& situation) {
    if (!situation.hasPicture) return SaveRoute::kNothing;
    if (situation.target.empty() || !situation.typeSavable ||
        WriteBackLoses(situation.fileType, situation.lossyLoad))
        return SaveRoute::kAskName;
    return SaveRoute::kWriteBack;
}
