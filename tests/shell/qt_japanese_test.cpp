// Qt's own dialogs in Japanese: the translation the editor loads at start-up,
// whatever the user's locale (the test runs in the C locale).

#include "shell/qt_japanese.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "shell/prompts.h"

namespace {
QString U(const char* s) {
    return QString::fromUtf8(s);
}
}  // namespace

class QtJapaneseTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(InstallQtJapanese(), qPrintable(QtTranslationsFolder())); }

    void fileDialogsSpeakJapanese() {
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
    }

    void messageBoxButtonsSpeakJapanese() {
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), U("はい(&Y)"));
        QCOMPARE(box.button(QMessageBox::No)->text(), U("いいえ(&N)"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), U("キャンセル"));
    }
};

QTEST_MAIN(QtJapaneseTest)
#include "qt_japanese_test.moc"
