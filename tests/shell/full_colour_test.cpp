// 表示 > フルカラー: stored, shown as a check mark, and the pictures opened
// after it (through the menu's worker thread too) read with their own colours.

#include "app_folder.h"
#include "image/image.h"

class FullColourTest : public QObject {
    Q_OBJECT

    AppFolder m_f;

private slots:
    void init() { m_f.Make(); }
    void cleanup() { m_f.Drop(); }

    void theSettingChangesHowTheNextJpegReads() {
        CImage sample(m_f.Picture("s.bmp").toStdString(), kImageBmp);
        for (const char* name : {"a.jpg", "b.jpg"})
            QVERIFY(sample.Save(m_f.dir->File(name), kImageJpeg));
        ScriptedPrompts prompts;
        {
            CMapApp app(*m_f.store);
            QVERIFY(app.InitInstance({}));
            QAction* full = app.Frame()->Action(cmd::kViewFullColour);
            QVERIFY(full && !full->isChecked());
            QVERIFY(app.OpenDocumentFile(Q(m_f.dir->File("a.jpg"))));
            QCOMPARE(app.Document().m_pImage->GetDepth(), 8);
            full->trigger();
            QVERIFY(full->isChecked());
            QVERIFY(GetFullColourSetting());
            prompts.AnswerFile(Q(m_f.dir->File("b.jpg")), 0);
            app.Frame()->Action(cmd::kFileOpen)->trigger();
            QVERIFY(app.WaitForOpen());
            QCOMPARE(app.Document().m_pImage->GetDepth(), 24);
        }
        CMapApp again(*m_f.store);
        QVERIFY(again.InitInstance({}));
        QVERIFY(again.Frame()->Action(cmd::kViewFullColour)->isChecked());
    }
};

QTEST_MAIN(FullColourTest)
#include "full_colour_test.moc"
