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

#include "common/test_util.h"
#include "shell/dialogs.h"
#include "shell/picture_types.h"
#include "shell/prompts.h"
#include "shell/qt_japanese.h"

namespace {
QString U(const char* s) {
    return QString::fromUtf8(s);
}

// Picks a filter as the user does.
void ChooseFilter(QFileDialog& dialog, int index) {
    auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QVERIFY(combo);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

QStringList Listed(QFileDialog& dialog) {
    auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    if (!list || !list->model()) return {};
    QStringList names;
    const QModelIndex root = list->rootIndex();
    for (int row = 0; row < list->model()->rowCount(root); ++row) {
        names << list->model()->index(row, 0, root).data().toString();
    }
    names.sort();
    return names;
}

QStringList ComboTexts(QFileDialog& dialog) {
    auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QStringList texts;
    for (int i = 0; combo && i < combo->count(); ++i) texts << combo->itemText(i);
    return texts;
}
}  // namespace

class FileDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(InstallQtJapanese(), qPrintable(QtTranslationsFolder())); }

    void pictureFiltersShowDescriptionsAndMatchWithoutADot() {
        testutil::TempDir dir;
        for (const char* name : {"a.gif", "xgif", "c.jpeg", "d.jpg", "e.png", "f.bmp", "g.txt"})
            testutil::WriteFile(dir.File(name), "x");
        FileRequest request;
        request.mustExist = true;
        request.filters = PictureFilters(true);
        request.filterIndex = 2;
        QFileDialog dialog;
        ConfigureFileDialog(dialog, request);
        dialog.setDirectory(QString::fromStdString(dir.path().string()));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        QCOMPARE(ComboTexts(dialog), (QStringList{U("GIFﾌｧｲﾙ(*.gif)"), U("JPEGﾌｧｲﾙ(*.jpg)"),
                                                  U("PNGﾌｧｲﾙ(*.png)"), U("BMPﾌｧｲﾙ(*.bmp)")}));
        QTRY_COMPARE(Listed(dialog), QStringList{QStringLiteral("e.png")});

        ChooseFilter(dialog, 0);
        QTRY_COMPARE(Listed(dialog),
                     (QStringList{QStringLiteral("a.gif"), QStringLiteral("xgif")}));
        ChooseFilter(dialog, 1);  // *jpg: .jpeg is not listed
        QTRY_COMPARE(Listed(dialog), QStringList{QStringLiteral("d.jpg")});

        // The answer carries the path and the filter chosen last.
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(QStringLiteral("d.jpg"));
        QTest::keyClick(name, Qt::Key_Return);
        QTRY_VERIFY(!dialog.isVisible());
        const FileAnswer answer = ReadFileAnswer(dialog, request);
        QVERIFY(answer.accepted);
        QCOMPARE(answer.path, QString::fromStdString(dir.File("d.jpg")));
        QCOMPARE(answer.filterIndex, 1);
    }

    void qtDialogsSpeakJapanese() {
        for (const bool open : {true, false}) {
            FileRequest request;
            request.open = open;
            request.filters = {{QStringLiteral("HTML"), {QStringLiteral("*.html")}}};
            QFileDialog dialog;
            ConfigureFileDialog(dialog, request);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            QVERIFY(box);
            QPushButton* accept =
                box->button(open ? QDialogButtonBox::Open : QDialogButtonBox::Save);
            QVERIFY(accept);
            QCOMPARE(accept->text(), open ? U("開く(&O)") : U("保存(&S)"));
            QCOMPARE(box->button(QDialogButtonBox::Cancel)->text(), U("キャンセル"));
            auto* name = dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
            QVERIFY(name);
            QCOMPARE(name->text(), U("ファイル名(&N):"));
        }
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), U("はい(&Y)"));
        QCOMPARE(box.button(QMessageBox::No)->text(), U("いいえ(&N)"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), U("キャンセル"));
    }
};

QTEST_MAIN(FileDialogTest)
#include "file_dialog_test.moc"
