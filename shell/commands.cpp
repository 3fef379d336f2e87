// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/commands.h"

#include <array>

namespace {
constexpr std::array<CommandInfo, 39> kCommands{{
    {cmd::kFileOpen, "既存のﾌｧｲﾙを開く", "開く"},
    {cmd::kFileSaveAs, "開いている画像を保存します。", "保存"},
    {cmd::kFileMru1, "指定のﾌｧｲﾙを開く", ""},
    {cmd::kToolCircle, "円", "円"},
    {cmd::kToolRect, "矩形", "矩形"},
    {cmd::kToolPolygon, "多角形", "多角形"},
    {cmd::kToolTrace, "クリックした領域の輪郭を多角形にします", "輪郭"},
    {cmd::kTransfer, "ZURI Zezez SEKKAにデータ転送", "ZURI Zezez SEKKAにデータ転送"},
    {cmd::kZoomNormal, "実際のサイズ", "実際のサイズ"},
    {cmd::kZoomDouble, "2倍表示", "2倍表示"},
    {cmd::kTagUpper, "タグを大文字にする", "タグを大文字にする"},
    {cmd::kBaseFolder, "基本フォルダの設定", "基本フォルダの設定"},
    {cmd::kEditUndo, "直前の操作を元に戻す", "元に戻す"},
    {cmd::kEditRedo, "元に戻した操作をやり直す", "やり直し"},
    {cmd::kToolSelect, "領域を選択して移動・変形する", "選択"},
    {cmd::kViewAreas, "領域の輪郭を表示する", "領域の輪郭"},
    {cmd::kMapOpen, "HTMLページからマップと画像を開きます。", ""},
    {cmd::kMapSave, "マップをHTMLファイルに保存します。", ""},
    {cmd::kMapSaveAs, "マップを名前を付けてHTMLファイルに保存します。", ""},
    {cmd::kBrowserCheck, "画像とマップをブラウザで表示します。", ""},
    {cmd::kViewFullColour, "次に開く JPEG 画像をファイルの色のまま読み込みます。", ""},
    {cmd::kMapSwitch, "同じページのほかの画像とマップを開きます。", ""},
    {cmd::kExportSvg, "画像とマップを、画像に合わせて伸縮する SVG 重ね合わせとして書き出します。",
     ""},
    {cmd::kExportScalingMap,
     "画像とマップを、表示サイズに合わせて座標を直すスクリプト付きで書き出します。", ""},
    {cmd::kViewProblems, "マップの問題の一覧を表示します。", "問題"},
    {cmd::kScaledPreview, "伸縮する形式の画像とマップを、選んだ幅でブラウザに表示します。", ""},
    {cmd::kZoomIn, "画像を一段階拡大して表示します。", "拡大"},
    {cmd::kZoomOut, "画像を一段階縮小して表示します。", "縮小"},
    {cmd::kZoomFit, "画像全体をウィンドウに合わせて表示します。", "ウィンドウに合わせる"},
    {cmd::kPixelGrid, "800%以上の表示で画素の境界に線を引きます。", ""},
    {cmd::kHelpManual, "使い方をブラウザで表示します。", "使い方"},
    {cmd::kHelpShortcuts, "キーボードショートカットの一覧を表示します。", ""},
    {cmd::kHelpAbout, "プログラムの情報、バージョン、ライセンスを表示します。", ""},
    {cmd::kViewAreaLabels, "各領域の最初の角に、領域一覧と同じ番号を表示します。", ""},
    {cmd::kViewAreaFill, "各領域を領域ごとの色で薄く塗ります。", ""},
    {cmd::kViewCheckerboard, "画像の透明な部分を市松模様の上に表示します。", ""},
    {cmd::kEditSelectAll, "マップのすべての領域を選択します。", "すべて選択"},
    {cmd::kAreaCoords, "選択した領域の座標を数値で編集します。", ""},
    {cmd::kAppExit, "アプリケーションを終了します。", "終了"},
}};
}  // namespace

const CommandInfo* FindCommand(int id) {
    for (const CommandInfo& info : kCommands) {
        if (info.id == id) return &info;
    }
    return nullptr;
}

QString CommandPrompt(int id) {
    const CommandInfo* info = FindCommand(id);
    return info ? QString::fromUtf8(info->prompt) : QString();
}

QString CommandTooltip(int id) {
    const CommandInfo* info = FindCommand(id);
    return info ? QString::fromUtf8(info->tooltip) : QString();
}
