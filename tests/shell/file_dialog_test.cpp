// Qt's own dialogs as the editor sets them up: the user sees each filter's
// description, the patterns keep their meaning, and the translation loaded
// at start-up speaks Japanese whatever the locale (the test runs in C).

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "shell/dialogs.h"
#include "shell/picture_types.h"
#include "shell/prompts.h"
#include "shell/qt_japanese.h"
#include "support/test_util.h"

namespace {
QString U(const char* s) {
    return QString::fromUtf8(s);
}

// The dialog's part of that type and object name; the test fails without it.
template <typename T>
T* Part(QFileDialog& dialog, const char* name) {
    T* part = dialog.findChild<T*>(QLatin1String(name));
    if (!part) QTest::qFail(name, __FILE__, __LINE__);
    return part;
}

// Picks a filter as the user does.
void ChooseFilter(QFileDialog& dialog, int index) {
    Part<QComboBox>(dialog, "fileTypeCombo")->setCurrentIndex(index);
    emit Part<QComboBox>(dialog, "fileTypeCombo")->activated(index);
}

QStringList Listed(QFileDialog& dialog) {
    auto* list = Part<QListView>(dialog, "listView");
    QStringList names;
    const QModelIndex root = list->rootIndex();
    for (int row = 0; list->model() && row < list->model()->rowCount(root); ++row)
        names << list->model()->index(row, 0, root).data().toString();
    names.sort();
    return names;
}

// The texts of the accept button, the cancel button and the name's label.
QStringList Captions(QFileDialog& dialog, QDialogButtonBox::StandardButton accept) {
    auto* box = Part<QDialogButtonBox>(dialog, "buttonBox");
    return {box->button(accept)->text(), box->button(QDialogButtonBox::Cancel)->text(),
            Part<QLabel>(dialog, "fileNameLabel")->text()};
}
}  // namespace

class FileDialogTest : public QObject {
    Q_OBJECT

private slots:
    void saveAsFiltersAndTheExtensionList() {
        const QList<FileFilter> filters = SaveAsFilters();
        QCOMPARE(filters.size(), 2);
        QCOMPARE(filters[0].description, U("(*.gif,*.jpg,*.jpeg,*.png,*.bmp,*.webp,*.avif)"));
        QCOMPARE(filters[0].patterns, (QStringList{U("*.gif"), U("*.jpeg"), U("*.jpg"), U("*.png"),
                                                   U("*.bmp"), U("*.webp"), U("*.avif")}));
        QCOMPARE(filters[1].description, U("全てのﾌｧｨﾙ(*.*)"));
        QCOMPARE(filters[1].patterns, QStringList{U("*.*")});
        QCOMPARE(PictureExtensionList(), U("gif, jpg, jpeg, png, bmp, webp, avif"));
    }

    void initTestCase() { QVERIFY2(InstallQtJapanese(), qPrintable(QtTranslationsFolder())); }

    void pictureFiltersShowDescriptionsAndMatchWithoutADot() {
        testutil::TempDir dir;
        for (const char* name :
             {"a.gif", "xgif", "c.jpeg", "d.jpg", "e.png", "f.bmp", "g.txt", "H.JPEG", "i.PNG.txt"})
            testutil::WriteFile(dir.File(name), "x");
        FileRequest request;
        request.mustExist = true;
        request.filters = PictureFilters(true);
        request.filterIndex = 3;
        QFileDialog dialog;
        ConfigureFileDialog(dialog, request);
        dialog.setDirectory(QString::fromStdString(dir.path().string()));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        auto* combo = Part<QComboBox>(dialog, "fileTypeCombo");
        QStringList filters;
        for (int i = 0; i < combo->count(); ++i) filters << combo->itemText(i);
        QCOMPARE(filters,
                 (QStringList{U("すべての画像(*.gif,*.jpg,*.jpeg,*.png,*.bmp,*.webp,*.avif)"),
                              U("GIFﾌｧｲﾙ(*.gif)"), U("JPEGﾌｧｲﾙ(*.jpg)"), U("PNGﾌｧｲﾙ(*.png)"),
                              U("BMPﾌｧｲﾙ(*.bmp)"), U("WebPﾌｧｲﾙ(*.webp)"), U("AVIFﾌｧｲﾙ(*.avif)")}));
        QCOMPARE(Captions(dialog, QDialogButtonBox::Open),
                 (QStringList{U("開く(&O)"), U("キャンセル"), U("ファイル名(&N):")}));
        QTRY_COMPARE(Listed(dialog), QStringList{QStringLiteral("e.png")});

        ChooseFilter(dialog, 0);  // every picture, upper-case names too
        QTRY_COMPARE(Listed(dialog), (QStringList{U("H.JPEG"), U("a.gif"), U("c.jpeg"), U("d.jpg"),
                                                  U("e.png"), U("f.bmp")}));
        ChooseFilter(dialog, 1);
        QTRY_COMPARE(Listed(dialog),
                     (QStringList{QStringLiteral("a.gif"), QStringLiteral("xgif")}));
        ChooseFilter(dialog, 2);  // *jpg: .jpeg is not listed
        QTRY_COMPARE(Listed(dialog), QStringList{QStringLiteral("d.jpg")});

        // The answer carries the path and the filter chosen last.
        auto* name = Part<QLineEdit>(dialog, "fileNameEdit");
        name->setText(QStringLiteral("d.jpg"));
        QTest::keyClick(name, Qt::Key_Return);
        QTRY_VERIFY(!dialog.isVisible());
        const FileAnswer answer = ReadFileAnswer(dialog, request);
        QVERIFY(answer.accepted);
        QCOMPARE(answer.path, QString::fromStdString(dir.File("d.jpg")));
        QCOMPARE(answer.filterIndex, 2);
    }

    void qtDialogsSpeakJapanese() {  // the open dialog's are checked above
        FileRequest request;
        request.open = false;
        QFileDialog dialog;
        ConfigureFileDialog(dialog, request);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(Captions(dialog, QDialogButtonBox::Save),
                 (QStringList{U("保存(&S)"), U("キャンセル"), U("ファイル名(&N):")}));
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), U("はい(&Y)"));
        QCOMPARE(box.button(QMessageBox::No)->text(), U("いいえ(&N)"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), U("キャンセル"));
    }
};

QTEST_MAIN(FileDialogTest)
#include "file_dialog_test.moc"
