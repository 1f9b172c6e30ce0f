// The main window driven as a user would: start-up, languages, toolbar and tabs, the key
// length, the reference text, the clipboard timer and the jobs.
#include "Errors.h"
#include "MaskedTextEdit.h"
#include "ShellFixture.h"
#include "Startup.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

using namespace Qt::StringLiterals;
using namespace velt;
using namespace velt::testing;

namespace {
const QStringList kJobs{u"Command1"_s, u"Command2"_s, u"Command3"_s, u"Command4"_s,
                        u"Command5"_s, u"Command6"_s, u"Frame2"_s,   u"Frame3"_s};

/// Every text a user or a screen reader meets on the window, by object and property.
QMap<QString, QString> VisibleTexts(ShellFixture& shell) {
    QMap<QString, QString> texts{{u"SSTab2.tab1"_s, shell.Find<QTabWidget>("SSTab2")->tabText(1)}};
    for (QWidget* widget : shell.window->findChildren<QWidget*>()) {
        for (const char* property : {"accessibleName", "toolTip", "text", "title", "Caption"}) {
            texts[widget->objectName() + u'.' + QLatin1String(property)] =
                widget->property(property).toString();
        }
    }
    return texts;
}

QStringList EnabledJobs(ShellFixture& shell) {
    QStringList enabled;
    for (const QString& name : kJobs) {
        if (shell.Find(name)->isEnabled()) {
            enabled << name;
        }
    }
    return enabled;
}

void Click(ShellFixture& shell, QAnyStringView name) {
    QTest::mouseClick(shell.Find(name), Qt::LeftButton);
}
} // namespace

class MainWindowTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void Startup_LangSetting_ReadAtStartWrittenOnlyAtClose() {
        ShellFixture shell;
        shell.Start();
        QCOMPARE(shell.Find<QComboBox>("Nyelv")->itemText(1), u"Magyar"_s);
        QCOMPARE(shell.Find<QTabWidget>("SSTab2")->currentIndex(), 0);
        QVERIFY(!shell.KeyChecked() && shell.messages.shown.empty());
        shell.window->close();
        QCOMPARE(shell.Setting("lang"), u"0"_s);
        QCOMPARE(shell.ended, 1);

        shell.Start();
        shell.Find<QComboBox>("Nyelv")->setCurrentIndex(1);
        QCOMPARE(shell.Setting("lang"), u"0"_s); // not at the switch
        shell.window->close();
        QCOMPARE(shell.Setting("lang"), u"1"_s);
        shell.Start();
        QCOMPARE(shell.state->language, 1);
        QCOMPARE(shell.Text("Label8"), u"Kulcs fájl ? :"_s);

        for (const char* stored : {"2", "x", "", "-1"}) {
            shell.settings.Write("lang", stored);
            shell.Start();
            QCOMPARE(shell.Find<QComboBox>("Nyelv")->currentIndex(), 0);
            QCOMPARE(shell.Text("Label8"), u"Key file ? :"_s);
        }
    }

    void Language_SwitchThereAndBack_RestoresEveryEnglishTextAndName() {
        ShellFixture shell;
        shell.Start();
        const QMap<QString, QString> english = VisibleTexts(shell);
        QCOMPARE(english[u"SSTab2.tab1"_s], u"JOB ..."_s);
        QCOMPARE(english[u"Command5.Caption"_s], u"Convert a folder"_s);
        shell.Find<QComboBox>("Nyelv")->setCurrentIndex(1);
        const QMap<QString, QString> hungarian = VisibleTexts(shell);
        QCOMPARE(hungarian[u"Frame2.title"_s], u"KÜLDÉS"_s);
        QCOMPARE(hungarian[u"cbCheat.toolTip"_s], u"A vágólap tartalmának fordítása oda-vissza"_s);
        QCOMPARE(hungarian[u"clb.accessibleName"_s], u"Vágólap ablak"_s);
        // Screen readers get a name for every control, those without a text of their own included.
        for (const QString& name :
             kJobs.mid(0, 6) + QStringList{u"Nyelv"_s, u"Check2"_s, u"Slider"_s, u"lblSL"_s, u"txtRef"_s,
                                           u"txtmatrix"_s, u"clb"_s}) {
            QVERIFY2(!english[name + u".accessibleName"_s].isEmpty(), qPrintable(name));
            QVERIFY2(!hungarian[name + u".accessibleName"_s].isEmpty(), qPrintable(name));
        }
        shell.Find<QComboBox>("Nyelv")->setCurrentIndex(0);
        QCOMPARE(VisibleTexts(shell), english);
    }

    void Toolbar_DirectionsAndTabs_GroupsOnlyThroughToolbar() {
        ShellFixture shell;
        shell.Start();
        auto* tabs = shell.Find<QTabWidget>("SSTab2");
        auto* toolbar = shell.Find<QToolBar>("Toolbar1");
        QCOMPARE(toolbar->actions().size(), 6);
        QCOMPARE(toolbar->widgetForAction(shell.Find<QAction>("Fogadás"))->accessibleName(),
                 u"DeKódolás fogadáshoz"_s);
        QVERIFY(!toolbar->isVisible() && EnabledJobs(shell).isEmpty());
        tabs->setCurrentIndex(1);
        QVERIFY(toolbar->isVisible());
        Click(shell, "Command4"); // disabled: does nothing
        QVERIFY(shell.dialogs.opened.empty());

        const auto press = [&](const char* key) { shell.Find<QAction>(key)->trigger(); };
        press("Küldés");
        QCOMPARE(EnabledJobs(shell), QStringList({u"Command1"_s, u"Command2"_s, u"Command5"_s, u"Frame2"_s}));
        press("Fogadás");
        QCOMPARE(EnabledJobs(shell), QStringList({u"Command3"_s, u"Command4"_s, u"Command6"_s, u"Frame3"_s}));
        // Every tab change, and a double click on the tabs, disables both groups again.
        press("Küldés");
        tabs->setCurrentIndex(0);
        QVERIFY(!toolbar->isVisible());
        tabs->setCurrentIndex(1);
        QVERIFY(EnabledJobs(shell).isEmpty());
        press("Fogadás");
        Q_EMIT tabs->tabBar()->tabBarDoubleClicked(1);
        QVERIFY(EnabledJobs(shell).isEmpty());
    }

    void Slider_MoveAndLabelClick_SetKeyLength() {
        ShellFixture shell;
        shell.Start();
        auto* slider = shell.Find<QSlider>("Slider");
        slider->setValue(5000);
        slider->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(shell.Text("lblSL"), u"4900"_s);
        QCOMPARE(shell.state->keyLength, 4900);
        Click(shell, "lblSL");
        QCOMPARE(shell.Text("lblSL"), u"366"_s);
        QCOMPARE(shell.state->keyLength, 366);
        QVERIFY(!shell.window->SetSliderValue(99) && !shell.window->SetSliderValue(10001));
        QCOMPARE(slider->value(), 366);
    }

    void Reference_MaskToggleAndCodes_TextStaysReal() {
        ShellFixture shell;
        shell.Start();
        auto* reference = shell.Find<velt::shell::MaskedTextEdit>("txtRef");
        reference->SetText(u"ab\nő"_s);
        QCOMPARE(reference->ActiveView()->toPlainText(), u"**\n*"_s);
        Click(shell, "Label12");
        QCOMPARE(reference->ActiveView()->toPlainText(), u"ab\nő"_s);
        Click(shell, "Label12");
        QVERIFY(reference->IsMasked());

        // The coders read codes with CR LF line breaks, refreshed on every change.
        IReferenceText& codes = shell.state->Reference();
        QCOMPARE(codes.Codes(), std::string("ab\r\n\xF5"));
        reference->SetText(u"x😀"_s);
        QVERIFY_THROWS_EXCEPTION(VeltError, codes.Codes());
        reference->SetText(QString());
        QCOMPARE(codes.Codes(), std::string());
    }

    void Timer_Clipboard_EnablesTranslationOnlyWithText() {
        ShellFixture shell;
        shell.Start();
        QWidget* translate = shell.Find("cbCheat");
        QClipboard* clipboard = QGuiApplication::clipboard();
        shell.Find<QTabWidget>("SSTab2")->setCurrentIndex(1);
        clipboard->clear();
        QTRY_VERIFY_WITH_TIMEOUT(!translate->isEnabled(), 1000);
        clipboard->setText(u"hello"_s);
        QTRY_VERIFY_WITH_TIMEOUT(translate->isEnabled(), 1000);
        shell.Find<QTabWidget>("SSTab2")->setCurrentIndex(2); // off tab 1 the timer rests
        clipboard->clear();
        QTest::qWait(700);
        QVERIFY(translate->isEnabled());
    }

    void Jobs_DialogsAndBrowser_SetPathsAndOpenOnlyOnChoice() {
        ShellFixture shell;
        shell.Start();
        const auto asked = [&] {
            const velt::shell::OpenFileRequest& r = shell.dialogs.opened.back();
            return QStringList{r.title, r.initialFolder, r.filter, r.presetName};
        };
        shell.Find<QTabWidget>("SSTab2")->setCurrentIndex(1);
        shell.Find<QAction>("Fogadás")->trigger();
        Click(shell, "Command4"); // dialog B, cancelled: nothing opens, the window stays
        QCOMPARE(asked(), QStringList({u"The selection of file ..."_s, shell.folder.path() + u"/"_s,
                                       u"VELT file (*.JPG)|*.JPG"_s, u"*.JPG"_s}));
        QVERIFY(shell.state->receptionMode && !shell.state->sendingMode);
        QVERIFY(shell.jobs.fileWindow == 0 && shell.window->isVisible());

        shell.dialogs.openAnswers.push_back({u"/data/report.pdf.JPG"_s, u"report.pdf.JPG"_s});
        Click(shell, "Command4");
        QCOMPARE(shell.state->sourcePath, std::filesystem::path("/data/report.pdf.JPG"));
        QCOMPARE(shell.state->selectedFileTitle, std::string("report.pdf.JPG"));
        QVERIFY(shell.jobs.fileWindow == 1 && !shell.window->isVisible());
        shell.window->show();

        shell.Find<QComboBox>("Nyelv")->setCurrentIndex(1);
        shell.Find<QAction>("Küldés")->trigger();
        Click(shell, "Command2"); // dialog A: any file, no preset
        QCOMPARE(asked(), QStringList({u"File kiválasztása ..."_s, shell.folder.path() + u"/"_s,
                                       u"Minden fájl (*.*)|*.*"_s, QString()}));
        QVERIFY(shell.state->sendingMode && !shell.state->receptionMode);

        Click(shell, "Command5"); // the folder browser, cancelled
        QCOMPARE(shell.jobs.folderWindow, 0);
        shell.dialogs.folderAnswers.push_back(u"/home/ő"_s);
        Click(shell, "Command5");
        QCOMPARE(shell.state->chosenFolder, std::filesystem::path("/home/ő"));
        QCOMPARE(shell.jobs.folderWindow, 1);
        shell.window->show();
        Click(shell, "Command1");
        QCOMPARE(shell.jobs.editor, 1);
    }

    void Startup_KeyFileAndComponents_IndicatorsOrFallbackWithoutCrash() {
        ShellFixture shell;
        WriteKeyFile(shell.Path("KEY.ORB"), 400);
        shell.Start();
        QVERIFY(shell.KeyChecked());
        // The stored length is not rewritten from the file: it is never read back.
        QCOMPARE(shell.KeyShown().mid(0, 6), ShellFixture::KeyInUse(u"KEY.ORB"_s, 400).mid(0, 6));
        QCOMPARE(shell.Text("Panel4"), u"09:05"_s);
        for (int records : {50, 10001}) { // too short for the slider, or beyond the tables
            WriteKeyFile(shell.Path("KEY.ORB"), records);
            shell.Start();
            QVERIFY(!shell.KeyChecked());
            QCOMPARE(shell.state->keyLength, 366);
        }

        // A component that cannot be installed is reported once; start-up goes on.
        QTemporaryDir system;
        WriteFile(system.path() + u"/present"_s, "x");
        FakeComponents nothing;
        shell.messages.shown.clear();
        velt::shell::RunComponentCheck(*shell.state, {system.path() + u"/"_s}, nothing);
        QCOMPARE(shell.messages.shown.size(), std::size_t{1});
        QVERIFY(shell.messages.shown[0].text.find("Comdlg32.ocx") != std::string::npos);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
