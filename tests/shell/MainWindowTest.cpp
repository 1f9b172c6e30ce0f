// The main window driven as a user would: start-up, languages, toolbar and tabs, the
// key length, the reference text, the clipboard timer and the jobs.
#include "Errors.h"
#include "GlossButton.h"
#include "MaskedTextEdit.h"
#include "ShellFixture.h"
#include "Startup.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>

using namespace Qt::StringLiterals;
using namespace velt;
using namespace velt::shell;
using velt::testing::ShellFixture;

namespace {
const QStringList kCommands{u"Command1"_s, u"Command2"_s, u"Command3"_s,
                            u"Command4"_s, u"Command5"_s, u"Command6"_s};

/// Every text a user or a screen reader meets on the window, by object and kind.
QMap<QString, QString> VisibleTexts(QWidget& window) {
    QMap<QString, QString> texts;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const QString name = widget->objectName();
        texts[name + u".accessible"_s] = widget->accessibleName();
        texts[name + u".tooltip"_s] = widget->toolTip();
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            texts[name + u".text"_s] = label->text();
        } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
            texts[name + u".title"_s] = frame->title();
        } else if (auto* button = qobject_cast<GlossButton*>(widget)) {
            texts[name + u".caption"_s] = button->Caption();
        } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
            texts[name + u".tab1"_s] = tabs->tabText(1);
        }
    }
    return texts;
}

/// The names of the enabled frames and job buttons.
QStringList EnabledJobs(ShellFixture& shell) {
    QStringList enabled;
    for (const QString& name : kCommands + QStringList{u"Frame2"_s, u"Frame3"_s}) {
        if (shell.Find<QWidget>(name)->isEnabled()) {
            enabled << name;
        }
    }
    return enabled;
}

void Toolbar(ShellFixture& shell, const QString& key) {
    shell.Find<QAction>(key)->trigger();
}

void Click(ShellFixture& shell, const QString& name) {
    QTest::mouseClick(shell.Find<QWidget>(name), Qt::LeftButton);
}
} // namespace

class MainWindowTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void Startup_LangSetting_ReadAtStartWrittenOnlyAtClose() {
        ShellFixture shell;
        MainWindow& window = shell.Start();
        auto* language = shell.Find<QComboBox>(u"Nyelv"_s);
        QCOMPARE(language->count(), 2);
        QCOMPARE(language->itemText(1), u"Magyar"_s);
        QCOMPARE(language->currentIndex(), 0);
        QCOMPARE(shell.Find<QTabWidget>(u"SSTab2"_s)->currentIndex(), 0);
        QVERIFY(!shell.Find<QToolBar>(u"Toolbar1"_s)->isVisible());
        QVERIFY(shell.Find<QTimer>(u"Timer"_s)->isActive());
        QVERIFY(!shell.Find<QCheckBox>(u"Check2"_s)->isChecked()); // no key file, and no message
        QVERIFY(shell.messages.shown.empty());
        window.close();
        QCOMPARE(shell.settings.Read("lang"), std::optional<std::string>("0"));
        QCOMPARE(shell.ended, 1);

        shell.Start();
        shell.Find<QComboBox>(u"Nyelv"_s)->setCurrentIndex(1);
        QCOMPARE(shell.settings.Read("lang"), std::optional<std::string>("0")); // not at the switch
        shell.window->close();
        QCOMPARE(shell.settings.Read("lang"), std::optional<std::string>("1"));
        shell.Start();
        QCOMPARE(shell.state->language, 1);
        QCOMPARE(shell.Find<QLabel>(u"Label8"_s)->text(), u"Kulcs fájl ? :"_s);

        // Values that are not a language index come up in English with every text set.
        for (const char* stored : {"2", "x", "", "-1"}) {
            shell.settings.Write("lang", stored);
            shell.Start();
            QCOMPARE(shell.Find<QComboBox>(u"Nyelv"_s)->currentIndex(), 0);
            QCOMPARE(shell.Find<QLabel>(u"Label8"_s)->text(), u"Key file ? :"_s);
        }
    }

    void Language_SwitchThereAndBack_RestoresEveryEnglishText() {
        ShellFixture shell;
        MainWindow& window = shell.Start();
        const QMap<QString, QString> english = VisibleTexts(window);
        QCOMPARE(english[u"Label8.text"_s], u"Key file ? :"_s);
        QCOMPARE(english[u"Label3.text"_s], u"Version number :"_s);
        QCOMPARE(english[u"SSTab2.tab1"_s], u"JOB ..."_s);
        QCOMPARE(english[u"Frame3.title"_s], u"RECEPTION"_s);
        QCOMPARE(english[u"Command5.caption"_s], u"Convert a folder"_s);

        shell.Find<QComboBox>(u"Nyelv"_s)->setCurrentIndex(1);
        const QMap<QString, QString> hungarian = VisibleTexts(window);
        QCOMPARE(hungarian[u"Frame2.title"_s], u"KÜLDÉS"_s);
        QCOMPARE(hungarian[u"Command6.accessible"_s], u"Mappa visszaállítás"_s);
        QCOMPARE(hungarian[u"cbCheat.tooltip"_s], u"A vágólap tartalmának fordítása oda-vissza"_s);
        QCOMPARE(hungarian[u"Slider.accessible"_s], u"Kulcshossz"_s);
        for (const QString& same :
             {u"Label6.text"_s, u"Label10.text"_s, u"lblSL.tooltip"_s, u"cbCheat.caption"_s}) {
            QCOMPARE(hungarian[same], english[same]);
        }

        shell.Find<QComboBox>(u"Nyelv"_s)->setCurrentIndex(0);
        QCOMPARE(VisibleTexts(window), english);
    }

    void Toolbar_DirectionsAndTabs_GroupsOnlyThroughToolbar() {
        ShellFixture shell;
        shell.Start();
        auto* tabs = shell.Find<QTabWidget>(u"SSTab2"_s);
        auto* toolbar = shell.Find<QToolBar>(u"Toolbar1"_s);
        // Six positions, separators at 2, 4 and 5; the buttons speak their tooltips.
        const QList<QAction*> actions = toolbar->actions();
        QCOMPARE(actions.size(), 6);
        QVERIFY(actions[1]->isSeparator() && actions[3]->isSeparator() && actions[4]->isSeparator());
        QCOMPARE(actions[5]->objectName(), u"Kulcs"_s);
        QCOMPARE(toolbar->widgetForAction(actions[2])->accessibleName(), u"DeKódolás fogadáshoz"_s);
        QVERIFY(!actions[0]->icon().isNull());

        // At start nothing can be pressed; a click on a disabled job does nothing.
        QVERIFY(EnabledJobs(shell).isEmpty());
        tabs->setCurrentIndex(1);
        QVERIFY(toolbar->isVisible());
        Click(shell, u"Command4"_s);
        QVERIFY(shell.dialogs.opened.empty());

        Toolbar(shell, u"Küldés"_s);
        QCOMPARE(EnabledJobs(shell), QStringList({u"Command1"_s, u"Command2"_s, u"Command5"_s, u"Frame2"_s}));
        Toolbar(shell, u"Fogadás"_s);
        QCOMPARE(EnabledJobs(shell), QStringList({u"Command3"_s, u"Command4"_s, u"Command6"_s, u"Frame3"_s}));

        // Every tab change and a double click on the tabs disable both groups again.
        Toolbar(shell, u"Küldés"_s);
        tabs->setCurrentIndex(0);
        QVERIFY(!toolbar->isVisible());
        tabs->setCurrentIndex(1);
        QVERIFY(EnabledJobs(shell).isEmpty());
        Toolbar(shell, u"Fogadás"_s);
        Q_EMIT tabs->tabBar()->tabBarDoubleClicked(1);
        QVERIFY(EnabledJobs(shell).isEmpty());
    }

    void Slider_MoveAndLabelClick_SetKeyLength() {
        ShellFixture shell;
        shell.Start();
        auto* slider = shell.Find<QSlider>(u"Slider"_s);
        auto* label = shell.Find<QLabel>(u"lblSL"_s);
        slider->setValue(5000);
        QCOMPARE(label->text(), u"5000"_s);
        QCOMPARE(shell.state->keyLength, 5000);
        slider->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(shell.state->keyLength, 4900);
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(slider->value(), 366);
        QCOMPARE(label->text(), u"366"_s);
        QCOMPARE(shell.state->keyLength, 366);
        // The key store is refused values the slider cannot show, and the slider stays.
        QVERIFY(!shell.window->SetSliderValue(99));
        QVERIFY(!shell.window->SetSliderValue(10001));
        QCOMPARE(slider->value(), 366);
    }

    void Reference_MaskingAndCodes_TextStaysReal() {
        ShellFixture shell;
        shell.Start();
        auto* reference = shell.Find<MaskedTextEdit>(u"txtRef"_s);
        QVERIFY(reference->IsMasked());
        reference->SetText(u"ab\nő"_s);
        QCOMPARE(reference->ActiveView()->toPlainText(), u"**\n*"_s);
        Click(shell, u"Label12"_s);
        QCOMPARE(reference->ActiveView()->toPlainText(), u"ab\nő"_s);
        Click(shell, u"Label12"_s);
        QVERIFY(reference->IsMasked());
        QCOMPARE(reference->Text(), u"ab\nő"_s);

        // The coders read codes with CR LF line breaks, refreshed on every change.
        IReferenceText& codes = shell.state->Reference();
        QCOMPARE(codes.Codes(), std::string("ab\r\n\xF5"));
        reference->SetText(u"x😀"_s);
        try {
            codes.Codes();
            QFAIL("an uncodable reference text must not pass");
        } catch (const VeltError& error) {
            QCOMPARE(error.kind, ErrorKind::UncodableCharacter);
        }
        reference->SetText(QString());
        QCOMPARE(codes.Codes(), std::string());
    }

    void Timer_Clipboard_EnablesTranslationOnlyWithText() {
        ShellFixture shell;
        shell.Start();
        auto* translate = shell.Find<GlossButton>(u"cbCheat"_s);
        auto* tabs = shell.Find<QTabWidget>(u"SSTab2"_s);
        QClipboard* clipboard = QGuiApplication::clipboard();
        tabs->setCurrentIndex(1);
        clipboard->clear();
        QTRY_VERIFY_WITH_TIMEOUT(!translate->isEnabled(), 1000);
        clipboard->setText(u"hello"_s);
        QTRY_VERIFY_WITH_TIMEOUT(translate->isEnabled(), 1000);
        // Off tab 1 the timer rests: the button keeps the state it had.
        tabs->setCurrentIndex(2);
        clipboard->clear();
        QTest::qWait(700);
        QVERIFY(translate->isEnabled());
    }

    void Jobs_DialogsAndBrowser_SetPathsAndOpenOnlyOnChoice() {
        ShellFixture shell;
        MainWindow& window = shell.Start();
        shell.Find<QTabWidget>(u"SSTab2"_s)->setCurrentIndex(1);

        // Dialog B, cancelled: flags set, nothing opens, the window stays.
        Toolbar(shell, u"Fogadás"_s);
        Click(shell, u"Command4"_s);
        const OpenFileRequest b = shell.dialogs.opened.at(0);
        QCOMPARE(b.presetName, u"*.JPG"_s);
        QCOMPARE(b.filter, u"VELT file (*.JPG)|*.JPG"_s);
        QCOMPARE(b.title, u"The selection of file ..."_s);
        QCOMPARE(b.initialFolder, shell.folder.path() + u"/"_s);
        QVERIFY(shell.state->receptionMode && !shell.state->sendingMode);
        QCOMPARE(shell.jobs.fileWindow, 0);
        QVERIFY(window.isVisible());

        // A file chosen: path and title set, the file window opens and the main window hides.
        shell.dialogs.openAnswers.push_back({u"/data/report.pdf.JPG"_s, u"report.pdf.JPG"_s});
        Click(shell, u"Command4"_s);
        QCOMPARE(shell.state->sourcePath, std::filesystem::path("/data/report.pdf.JPG"));
        QCOMPARE(shell.state->selectedFileTitle, std::string("report.pdf.JPG"));
        QCOMPARE(shell.jobs.fileWindow, 1);
        QVERIFY(!window.isVisible());
        window.show();

        // Dialog A in Hungarian: any file, no preset.
        shell.Find<QComboBox>(u"Nyelv"_s)->setCurrentIndex(1);
        Toolbar(shell, u"Küldés"_s);
        Click(shell, u"Command2"_s);
        const OpenFileRequest a = shell.dialogs.opened.back();
        QCOMPARE(a.title, u"File kiválasztása ..."_s);
        QCOMPARE(a.filter, u"Minden fájl (*.*)|*.*"_s);
        QVERIFY(a.presetName.isEmpty());
        QVERIFY(shell.state->sendingMode && !shell.state->receptionMode);

        // The folder browser: cancel opens nothing, a folder opens the folder window.
        Click(shell, u"Command5"_s);
        QCOMPARE(shell.jobs.folderWindow, 0);
        shell.dialogs.folderAnswers.push_back(u"/home/ő"_s);
        Click(shell, u"Command5"_s);
        QCOMPARE(shell.state->chosenFolder, std::filesystem::path("/home/ő"));
        QCOMPARE(shell.jobs.folderWindow, 1);
        window.show();
        Click(shell, u"Command1"_s);
        QCOMPARE(shell.jobs.editor, 1);
    }

    void Startup_KeyFiles_IndicatorsOrFallbackWithoutCrash() {
        ShellFixture shell;
        velt::testing::WriteKeyFile(shell.Path(u"KEY.ORB"_s), 400);
        shell.Start();
        QVERIFY(shell.Find<QCheckBox>(u"Check2"_s)->isChecked());
        QCOMPARE(shell.Find<QLabel>(u"Label9"_s)->text(), u"KEY.ORB"_s);
        QCOMPARE(shell.Find<QLabel>(u"Panel2"_s)->text(), u"KEY.ORB"_s);
        QCOMPARE(shell.Find<QSlider>(u"Slider"_s)->value(), 400);
        QCOMPARE(shell.Find<QLabel>(u"Panel4"_s)->text(), u"09:05"_s);
        // Too short for the slider, or beyond the tables: the fallback, unchecked, no crash.
        for (int records : {50, 10001}) {
            velt::testing::WriteKeyFile(shell.Path(u"KEY.ORB"_s), records);
            shell.Start();
            QVERIFY(!shell.Find<QCheckBox>(u"Check2"_s)->isChecked());
            QCOMPARE(shell.state->keyLength, 366);
        }
    }

    void Startup_ComponentFailure_ReportedOnceAndStartGoesOn() {
        ShellFixture shell;
        shell.Start();
        QTemporaryDir system;
        velt::testing::WriteKeyFile(system.path() + u"/present"_s, 1);
        velt::testing::FakeComponents nothing;
        RunComponentCheck(*shell.state, {system.path() + u"/"_s}, nothing);
        QCOMPARE(shell.messages.shown.size(), std::size_t{1});
        QCOMPARE(shell.messages.shown[0].title, std::string("ERROR"));
        QVERIFY(shell.messages.shown[0].text.find("Comdlg32.ocx") != std::string::npos);
    }

    void Accessibility_ControlsWithoutText_NamedInBothLanguages() {
        ShellFixture shell;
        shell.Start();
        for (int language : {0, 1}) {
            shell.Find<QComboBox>(u"Nyelv"_s)->setCurrentIndex(language);
            for (const QString& name :
                 kCommands + QStringList{u"Nyelv"_s, u"Check2"_s, u"Slider"_s, u"lblSL"_s, u"txtRef"_s,
                                         u"txtmatrix"_s, u"clb"_s}) {
                QVERIFY2(!shell.Find<QWidget>(name)->accessibleName().isEmpty(), qPrintable(name));
            }
        }
        QCOMPARE(shell.Find<QWidget>(u"clb"_s)->accessibleName(), u"Vágólap ablak"_s);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
