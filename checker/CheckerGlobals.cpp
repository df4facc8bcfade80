#include "checker/CheckerGlobals.h"

#include "platform/system/Folders.h"
#include "platform/system/Picture.h"
#include "platform/system/TextCut.h"
#include "platform/vuft4/Vuft4.h"

namespace tarn::checker {

CheckerGlobals& Globals() {
    static CheckerGlobals globals;
    return globals;
}

void SetUpFolders(int32_t startDay) {
    CheckerGlobals& g = Globals();
    g.AppFolder = platform::CutText(platform::CurrentFolder(), 254);
    g.LogFolder = g.AppFolder + platform::kFolderSeparator + "logfiles";
    if (vuft4::VUFOLDEREXISTS(g.LogFolder.c_str()) == 0)
        vuft4::VUCREATEDIRECTORY(g.LogFolder.c_str());
    g.LogFileName = g.LogFolder + platform::kFolderSeparator + "Tarnwatch" +
                    platform::FormatPicture("d12", startDay) + ".log";
}

}  // namespace tarn::checker
