// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/commands.h"

#include <algorithm>

namespace {

constexpr int K(QKeyCombination key) {
    return key.toCombined();
}
constexpr QKeySequence::StandardKey kNoStd = QKeySequence::UnknownKey;

// Ctrl with plus, minus and 0 zoom as a browser does; Ctrl+S saves the
// markup (the editor never changes the picture, so writing it back could
// only lose what its file holds); in the pane Ctrl+A still selects its
// text, as the pane takes the key first.
const CommandInfo kCommands[] = {
    {cmd::kFileOpen, "開く(&O)...\tCtrl+O", "既存のﾌｧｲﾙを開く", "開く", QKeySequence::Open},
    {cmd::kFileSaveAs, "名前をつけて保存 (&S)", "開いている画像を保存します。", "保存"},
    {cmd::kMapOpen,
     "マップを開く(&M)...",
     "HTMLページからマップと画像を開きます。",
     "",
     kNoStd,
     {K(Qt::CTRL | Qt::SHIFT | Qt::Key_O)}},
    {cmd::kMapSave,
     "マップを保存(&A)",
     "マップをHTMLファイルに保存します。",
     "",
     kNoStd,
     {K(Qt::CTRL | Qt::Key_S), K(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}},
    {cmd::kMapSaveAs,
     "名前を付けてマップを保存(&K)...",
     "マップを名前を付けてHTMLファイルに保存します。",
     "",
     kNoStd,
     {K(Qt::Key_F12)}},
    {cmd::kMapSwitch, "別のマップ(&N)...", "同じページのほかの画像とマップを開きます。", ""},
    {cmd::kExportSvg, "SVG 重ね合わせ (&S)...",
     "画像とマップを、画像に合わせて伸縮する SVG 重ね合わせとして書き出します。", ""},
    {cmd::kExportScalingMap, "伸縮するマップ (&M)...",
     "画像とマップを、表示サイズに合わせて座標を直すスクリプト付きで書き出します。", ""},
    {cmd::kFileMru1, "最新のﾌｧｲﾙ", "指定のﾌｧｲﾙを開く", ""},
    {cmd::kAppExit,
     "終了(&X)\tCtrl+Q",
     "アプリケーションを終了します。",
     "終了",
     kNoStd,
     {K(Qt::CTRL | Qt::Key_Q)}},
    {cmd::kEditUndo, "元に戻す(&U)\tCtrl+Z", "直前の操作を元に戻す", "元に戻す",
     QKeySequence::Undo},
    {cmd::kEditRedo,
     "やり直し(&R)\tCtrl+Y",
     "元に戻した操作をやり直す",
     "やり直し",
     kNoStd,
     {K(Qt::CTRL | Qt::Key_Y)}},
    {cmd::kEditSelectAll, "すべての領域を選択(&A)\tCtrl+A", "マップのすべての領域を選択します。",
     "すべて選択", QKeySequence::SelectAll},
    {cmd::kImageMap, "画像とマップの設定(&I)...",
     "画像の代替テキストと大きさ、マップの名前を編集します。", ""},
    {cmd::kViewAreas, "領域の輪郭を表示 (&V)", "領域の輪郭を表示する", "領域の輪郭"},
    {cmd::kAreaCoords,
     "座標 (&N)...\tCtrl+E",
     "選択した領域の座標を数値で編集します。",
     "",
     kNoStd,
     {K(Qt::CTRL | Qt::Key_E)}},
    {cmd::kZoomIn,
     "拡大 (&I)\tCtrl++",
     "画像を一段階拡大して表示します。",
     "拡大",
     kNoStd,
     {K(Qt::CTRL | Qt::Key_Plus), K(Qt::CTRL | Qt::Key_Equal),
      K(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus)}},
    {cmd::kZoomOut, "縮小 (&O)\tCtrl+-", "画像を一段階縮小して表示します。", "縮小",
     QKeySequence::ZoomOut},
    {cmd::kZoomFit,
     "ウィンドウに合わせる (&W)\tCtrl+0",
     "画像全体をウィンドウに合わせて表示します。",
     "ウィンドウに合わせる",
     kNoStd,
     {K(Qt::CTRL | Qt::Key_0)}},
    {cmd::kZoomNormal, "実際のサイズ (&N)", "実際のサイズ", "実際のサイズ"},
    {cmd::kZoomDouble, "2倍表示 (&L)", "2倍表示", "2倍表示"},
    {cmd::kPixelGrid,
     "ピクセルグリッド (&G)",
     "800%以上の表示で画素の境界に線を引きます。",
     "",
     kNoStd,
     {},
     true},
    {cmd::kViewAreaLabels,
     "領域の番号 (&U)\tCtrl+Shift+U",
     "各領域の最初の角に、領域一覧と同じ番号を表示します。",
     "",
     kNoStd,
     {K(Qt::CTRL | Qt::SHIFT | Qt::Key_U)},
     true},
    {cmd::kViewAreaFill,
     "領域の塗り (&F)\tCtrl+Shift+F",
     "各領域を領域ごとの色で薄く塗ります。",
     "",
     kNoStd,
     {K(Qt::CTRL | Qt::SHIFT | Qt::Key_F)},
     true},
    {cmd::kViewCheckerboard,
     "透明部分を市松模様で表示 (&K)",
     "画像の透明な部分を市松模様の上に表示します。",
     "",
     kNoStd,
     {},
     true},
    {cmd::kViewFullColour,
     "フルカラー (&C)",
     "次に開く JPEG 画像をファイルの色のまま読み込みます。",
     "",
     kNoStd,
     {},
     true},
    {cmd::kBaseFolder, "基本フォルダ 設定(&B)", "基本フォルダの設定", "基本フォルダの設定"},
    {cmd::kTagUpper,
     "タグを大文字にする (&T)",
     "タグを大文字にする",
     "タグを大文字にする",
     kNoStd,
     {},
     true},
    {cmd::kTransfer, "ZURI Zezez SEKKAにデータ転送 (&H)", "ZURI Zezez SEKKAにデータ転送",
     "ZURI Zezez SEKKAにデータ転送"},
    {cmd::kBrowserCheck, "ブラウザで確認 (&W)", "画像とマップをブラウザで表示します。", ""},
    {cmd::kScaledPreview, "伸縮を確認 (&Z)...",
     "伸縮する形式の画像とマップを、選んだ幅でブラウザに表示します。", ""},
    {cmd::kViewProblems, "問題 (&P)", "マップの問題の一覧を表示します。", "問題"},
    {cmd::kHelpManual, "使い方 (&M)", "使い方をブラウザで表示します。", "使い方",
     QKeySequence::HelpContents},
    {cmd::kHelpShortcuts, "キーボードショートカット (&K)",
     "キーボードショートカットの一覧を表示します。", ""},
    {cmd::kHelpAbout, "バージョン情報 (&A)",
     "プログラムの情報、バージョン、ライセンスを表示します。", ""},
};

}  // namespace

std::span<const CommandInfo> Commands() {
    return kCommands;
}

const CommandInfo* FindCommand(int id) {
    const auto* it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                  [id](const CommandInfo& info) { return info.id == id; });
    return it == std::end(kCommands) ? nullptr : it;
}

QString CommandText(int id) {
    const CommandInfo* info = FindCommand(id);
    return info ? QString::fromUtf8(info->text) : QString();
}

QString CommandPrompt(int id) {
    const CommandInfo* info = FindCommand(id);
    return info ? QString::fromUtf8(info->prompt) : QString();
}

QList<QKeySequence> CommandKeys(const CommandInfo& info) {
    // The standard key's first binding only: the others differ between
    // platforms and could take keys the window gives to other commands.
    QList<QKeySequence> keys;
    if (info.standardKey != QKeySequence::UnknownKey) keys << QKeySequence(info.standardKey);
    for (const int key : info.keys)
        if (key != 0) keys << QKeySequence(QKeyCombination::fromCombined(key));
    return keys;
}
