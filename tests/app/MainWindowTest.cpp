// The main window driven as a user would, the key action and files handed from outside included.
#include "app/MaskedTextEdit.h"
#include "app/Startup.h"
#include "controls/GlossButton.h"
#include "engine/Errors.h"
#include "engine/Fingerprint.h"
#include "engine/Texts.h"
#include "platform/WindowPlace.h"
#include "tests/app/AppFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTextDocumentFragment>
#include <QToolBar>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace velt;
using namespace velt::testing;

namespace {
const QStringList kJobs{u"Command1"_s, u"Command2"_s, u"Command3"_s, u"Command4"_s,
                        u"Command5"_s, u"Command6"_s, u"Frame2"_s,   u"Frame3"_s};
const QStringList kSending{u"Command1"_s, u"Command2"_s, u"Command5"_s, u"Frame2"_s};
const QStringList kReceiving{u"Command3"_s, u"Command4"_s, u"Command6"_s, u"Frame3"_s};

/// The name a screen reader announces.
QString AccessibleName(QObject* object) {
    return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
}

/// Every text a user or a screen reader meets on the window, by object and property.
QMap<QString, QString> VisibleTexts(AppFixture& shell) {
    QMap<QString, QString> texts{{u"SSTab2.tab1"_s, shell.Find<QTabWidget>("SSTab2")->tabText(1)}};
    for (QWidget* widget : shell.window->findChildren<QWidget*>()) {
        for (const char* property : {"toolTip", "text", "title", "Caption"}) {
            texts[widget->objectName() + u'.' + QLatin1String(property)] =
                widget->property(property).toString();
        }
        texts[widget->objectName() + u".accessibleName"_s] = AccessibleName(widget);
    }
    for (QAction* action : shell.window->findChildren<QAction*>()) {
        texts[u"action."_s + action->objectName()] = action->toolTip();
    }
    return texts;
}

/// Drags files `names` of the program's folder over `target` and drops them there; returns whether the
/// drag was welcomed.
bool Drop(AppFixture& shell, QWidget* target, const QStringList& names, const QList<QUrl>& more = {}) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& name : names) {
        urls << QUrl::fromLocalFile(shell.Path(name));
    }
    data.setUrls(urls + more);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    return enter.isAccepted() && QCoreApplication::sendEvent(target, &drop) && drop.isAccepted();
}

QStringList EnabledJobs(AppFixture& shell) {
    QStringList enabled = kJobs;
    enabled.removeIf([&](const QString& name) { return !shell.Find(name)->isEnabled(); });
    return enabled;
}

} // namespace

class MainWindowTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void Startup_LangSetting_ReadAtStartWrittenOnlyAtClose() {
        AppFixture shell;
        QCOMPARE(shell.Text("Label8"), u"Key file ? :"_s);
        QCOMPARE(shell.Find<QTabWidget>("SSTab2")->currentIndex(), 0);
        QVERIFY(!shell.KeyChecked() && shell.messages.shown.empty());
        shell.window->close();
        QCOMPARE(shell.Setting("lang"), u"0"_s);
        QCOMPARE(shell.ended, 1);

        shell.Start();
        shell.Find<QComboBox>("Nyelv")->setCurrentText(u"Magyar"_s);
        QCOMPARE(shell.Setting("lang"), u"0"_s); // not at the switch
        shell.window->close();
        QCOMPARE(shell.Setting("lang"), u"1"_s);

        // Read as a number: "01", " 1" and "+1" are Hungarian, anything unknown English.
        for (const auto& [stored, hungarian] : {std::pair{"1", true}, {"2", false}, {"x", false}, {"", false},
                                                {"-1", false}, {"01", true}, {" 1", true}, {"+1\n", true},
                                                {"1x", false}}) {
            shell.settings.Write("lang", stored);
            shell.Start();
            QCOMPARE(shell.Find<QComboBox>("Nyelv")->currentIndex(), hungarian ? 1 : 0);
            QCOMPARE(shell.Text("Label8"), hungarian ? u"Kulcs fájl ? :"_s : u"Key file ? :"_s);
        }
    }

    void Place_JobWindowRestartAndOffScreen_KeptOrIgnored() {
        AppFixture shell;
        const QRect placed(40, 30, 500, 420);
        shell.window->setGeometry(placed);
        // A job window: owned by the main window (transient for it) and centred over it.
        auto* job = new QWidget;
        job->resize(200, 100);
        platform::ShowOver(*job, *shell.window);
        QCOMPARE(job->windowHandle()->transientParent(), shell.window->windowHandle());
        QCOMPARE(job->geometry().center(), placed.center());
        // Hidden meanwhile and placed anew, as a window manager does; it comes back where it stood.
        shell.window->hide();
        shell.window->move(300, 200);
        shell.window->show();
        QCOMPARE(shell.window->geometry(), placed);
        delete job;

        // The main and the clipboard window where they were at the last close; off every screen, ignored.
        shell.Find<QTabWidget>("SSTab2")->setCurrentIndex(2);
        shell.Click("clb");
        auto* clipboard = shell.Find<QWidget>("frmCLB");
        clipboard->setGeometry(60, 70, 520, 330);
        shell.window->close();
        shell.Start();
        QCOMPARE(shell.window->geometry(), placed);
        shell.Click("clb");
        QCOMPARE(shell.Find<QWidget>("frmCLB")->geometry(), QRect(60, 70, 520, 330));
        shell.settings.Write("mainWindow", "-3000,-3000,500,420");
        shell.settings.Write("clipboardWindow", "5000,70,520,330");
        shell.Start();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(shell.window->frameGeometry()));
        // The headless screen is too narrow for both side by side: against its right edge.
        shell.Click("clb");
        QCOMPARE(shell.Find<QWidget>("frmCLB")->frameGeometry(),
                 QRect(screen.right() - 478, shell.window->frameGeometry().top(), 479, 304));
    }

    void Language_SwitchThereAndBack_RestoresEveryEnglishTextAndName() {
        AppFixture shell;
        // Qt's own texts follow too: the buttons of every question, file dialogs, edit menus.
        const auto yes = [] {
            QMessageBox box(QMessageBox::Question, {}, {}, QMessageBox::Yes | QMessageBox::No);
            return box.button(QMessageBox::Yes)->text();
        };
        const QMap<QString, QString> english = VisibleTexts(shell);
        QCOMPARE(yes(), u"&Yes"_s);
        shell.Find<QComboBox>("Nyelv")->setCurrentIndex(1);
        QCOMPARE(yes(), u"&Igen"_s);
        const QMap<QString, QString> hungarian = VisibleTexts(shell);
        QCOMPARE(hungarian[u"Frame2.title"_s], u"KÜLDÉS"_s);
        // The date at once in the Hungarian form; English keeps the system's.
        QCOMPARE(hungarian[u"Panel3.text"_s], u"2013. 08. 28."_s);
        QCOMPARE(english[u"Panel3.text"_s], QLocale().toString(QDate(2013, 8, 28), QLocale::ShortFormat));
        QCOMPARE(hungarian[u"clb.accessibleName"_s], u"Vágólap ablak"_s);
        // Screen readers get a name for every control, those without a text of their own included.
        for (const QString& name :
             kJobs.mid(0, 6) + QStringList{u"Nyelv"_s, u"Check2"_s, u"Slider"_s, u"lblSL"_s, u"txtRef"_s,
                                           u"txtmatrix"_s, u"clb"_s, u"cbCheat"_s}) {
            const QString key = name + u".accessibleName"_s;
            QVERIFY2(!english[key].isEmpty() && !hungarian[key].isEmpty(), qPrintable(name));
        }
        // Every tooltip in each language; the design's own Hungarian ones and the key's path stay as they are.
        const QString path = u"<p style='white-space:pre'>"_s + shell.Path("KEY.ORB") + u"</p>"_s;
        const auto same = [](const QString& tip) { return tip + u" | "_s + tip; };
        const QMap<QString, QString> tips{
            {u"cbCheat"_s, u"The translation of the content of the clipboard back and forth | "
                           u"A vágólap tartalmának fordítása oda-vissza"_s},
            {u"lblSL"_s, same(u"Kattintásra alpértékre állít [366]"_s)}, {u"Label9"_s, same(path)},
            {u"Küldés"_s, same(u"Kódolás küldéshez (Ctrl+S)"_s)},
            {u"Fogadás"_s, same(u"DeKódolás fogadáshoz (Ctrl+R)"_s)},
            {u"Kulcs"_s, same(u"Kulcs betöltése/készítése (Ctrl+K)"_s)}};
        QMap<QString, QString> shownTips;
        for (const auto& [key, text] : english.asKeyValueRange()) {
            if (key.endsWith(u".toolTip"_s) && !(text + hungarian[key]).isEmpty()) {
                shownTips[key.chopped(8)] = text + u" | "_s + hungarian[key];
            }
        }
        QCOMPARE(shownTips, tips);
        shell.Find<QComboBox>("Nyelv")->setCurrentIndex(0);
        QCOMPARE(VisibleTexts(shell), english);
        QCOMPARE(yes(), u"&Yes"_s);
    }

    void Toolbar_DirectionsAndTabs_GroupsOnlyThroughToolbar() {
        AppFixture shell;
        auto* tabs = shell.Find<QTabWidget>("SSTab2");
        auto* toolbar = shell.Find<QToolBar>("Toolbar1");
        auto* send = shell.Find<QAction>("Küldés");
        QVERIFY(send->isVisible() && !send->isEnabled() && EnabledJobs(shell).isEmpty());
        send->activate(QAction::Trigger); // shown, but not offered off the job tab
        QVERIFY(EnabledJobs(shell).isEmpty());

        // The tab bar stays where it is on every tab, so a second click lands where the first did; the
        // toolbar's buttons stay in it, no empty band.
        const QPoint tabBarAt = tabs->tabBar()->mapTo(shell.window.get(), QPoint(0, 0));
        for (int tab : {1, 2, 0, 1}) {
            tabs->setCurrentIndex(tab);
            QCOMPARE(tabs->tabBar()->mapTo(shell.window.get(), QPoint(0, 0)), tabBarAt);
            QVERIFY(toolbar->widgetForAction(send)->isVisible() && send->isEnabled() == (tab == 1));
        }
        QVERIFY(toolbar->isVisible());
        shell.Click("Command4"); // disabled: does nothing
        QVERIFY(shell.dialogs.opened.empty());

        shell.Press("Küldés"); // leaving the tab takes the direction back
        tabs->setCurrentIndex(0);
        tabs->setCurrentIndex(1);
        QVERIFY(EnabledJobs(shell).isEmpty());

        // A double-click on "JOB ..." enables nothing and forms no key.
        shell.Press("Küldés");
        QTest::mouseDClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
        QCOMPARE(tabs->currentIndex(), 1);
        QVERIFY(EnabledJobs(shell).isEmpty());
        QVERIFY(!QFile::exists(shell.Path("KEY.ORB")));

        // No blank menu on the toolbar.
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(2, 2), toolbar->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(toolbar, &menu);
        QVERIFY(QApplication::activePopupWidget() == nullptr);
    }

    void Keyboard_SendingJob_ReachedAndStartedByKeysAlone() {
        AppFixture shell;
        QApplication::setActiveWindow(shell.window.get());
        QVERIFY(QTest::qWaitForWindowActive(shell.window.get()));
        auto* tabs = shell.Find<QTabWidget>("SSTab2");
        QCOMPARE(tabs->tabText(1), u"&JOB ..."_s);
        QTest::keyClick(shell.window.get(), Qt::Key_J, Qt::AltModifier);
        QCOMPARE(tabs->currentIndex(), 1);

        // Tab reaches the toolbar; Space there picks the sending direction.
        QWidget* send = shell.Find<QToolBar>("Toolbar1")->widgetForAction(shell.Find<QAction>("Küldés"));
        QTRY_VERIFY(send->isVisible());
        for (int i = 0; i < 20 && QApplication::focusWidget() != send; ++i) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : shell.window.get(), Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget(), send);
        QTest::keyClick(send, Qt::Key_Space);
        QCOMPARE(EnabledJobs(shell), kSending);

        // The shortcuts do the same; an access key starts the job.
        QTest::keyClick(shell.window.get(), Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(EnabledJobs(shell), kReceiving);
        QTest::keyClick(shell.window.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(shell.Find<GlossButton>("Command1")->Caption(), u"&Direct entry"_s);
        QTest::keyClick(shell.window.get(), Qt::Key_D, Qt::AltModifier);
        QTRY_COMPARE(shell.jobs.editor, 1);
        QVERIFY(shell.jobs.editorDirection == velt::platform::Direction::Sending && !shell.window->isVisible());
        shell.window->show();

        // The length label and the mask switch answer Space.
        QApplication::setActiveWindow(shell.window.get());
        shell.Find<QSlider>("Slider")->setValue(5000);
        shell.Find("lblSL")->setFocus();
        QTest::keyClick(shell.Find("lblSL"), Qt::Key_Space);
        QCOMPARE(shell.state->keyLength, 366);
        QTest::keyClick(shell.Find("Label12"), Qt::Key_Space);
        QVERIFY(!shell.Find<velt::app::MaskedTextEdit>("txtRef")->IsMasked());

        // Every letter is unique in Hungarian too.
        shell.Find<QComboBox>("Nyelv")->setCurrentIndex(1);
        QStringList keys;
        for (int tab = 0; tab < 2; ++tab) {
            keys << QKeySequence::mnemonic(tabs->tabText(tab)).toString();
        }
        for (const char* name : {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6", "cbCheat"}) {
            keys << QKeySequence::mnemonic(shell.Find<GlossButton>(name)->Caption()).toString();
        }
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), 9);
        // Each one typeable on a US keyboard: "Fájl konvertálása" takes no Alt+Á.
        QCOMPARE(keys.filter(QRegularExpression(u"^Alt\\+[A-Z]$"_s)), keys);
        QTest::keyClick(shell.window.get(), Qt::Key_3, Qt::AltModifier); // "!" has no letter: Alt+3
        QCOMPARE(tabs->currentIndex(), 2);
        QVERIFY(!keys.contains(QString()));
    }

    void Reference_MaskToggleAndCodes_TextStaysReal() {
        AppFixture shell;
        auto* reference = shell.Find<velt::app::MaskedTextEdit>("txtRef");
        reference->SetText(u"ab\nő"_s);
        shell.Click("Label12");
        QCOMPARE(reference->ActiveView()->toPlainText(), u"ab\nő"_s);
        // The coders read codes with CR LF line breaks, refreshed on every change.
        IReferenceText& codes = shell.state->Reference();
        QCOMPARE(codes.Codes(), std::string("ab\r\n\xF5"));
        reference->SetText(u"x😀"_s);
        QVERIFY_THROWS_EXCEPTION(VeltError, codes.Codes());
    }

    void Jobs_DialogsAndBrowser_SetPathsAndOpenOnlyOnChoice() {
        AppFixture shell;
        const auto asked = [&] {
            const velt::platform::OpenFileRequest& r = shell.dialogs.opened.back();
            return QStringList{r.title, r.initialFolder, r.filter, r.presetName};
        };
        shell.Press("Fogadás");
        shell.Click("Command4"); // dialog B, cancelled: nothing opens, the window stays
        QCOMPARE(asked(), QStringList({u"The selection of file ..."_s, shell.folder.path() + u"/"_s,
                                       u"VELT file (*.JPG)|*.JPG"_s, u"*.JPG"_s}));
        QVERIFY(shell.jobs.fileWindow == 0 && shell.window->isVisible());

        shell.dialogs.openAnswers.push_back({u"/data/report.pdf.JPG"_s, u"report.pdf.JPG"_s});
        shell.Click("Command4");
        QCOMPARE(shell.jobs.file->source, std::filesystem::path("/data/report.pdf.JPG"));
        QCOMPARE(shell.jobs.file->title, std::string("report.pdf.JPG"));
        QVERIFY(shell.jobs.file->direction == velt::platform::Direction::Reception);
        QVERIFY(shell.jobs.fileWindow == 1 && !shell.window->isVisible());
        shell.window->show();

        shell.Find<QComboBox>("Nyelv")->setCurrentIndex(1);
        shell.Press("Küldés");
        shell.Click("Command2"); // dialog A: any file, no preset
        QCOMPARE(asked(), QStringList({u"File kiválasztása ..."_s, shell.folder.path() + u"/"_s,
                                       u"Minden fájl (*.*)|*.*"_s, QString()}));

        shell.Click("Command5"); // the folder browser, cancelled
        QCOMPARE(shell.jobs.folderWindow, 0);
        QCOMPARE(shell.dialogs.folderTitles.back(), u"Mappa kiválasztása ..."_s);
        shell.dialogs.folderAnswers.push_back(u"/home/ő"_s);
        shell.Click("Command5");
        QCOMPARE(shell.jobs.folder->folder, std::filesystem::path("/home/ő"));
        QVERIFY(shell.jobs.folder->direction == velt::platform::Direction::Sending);
        QCOMPARE(shell.jobs.folderWindow, 1);
    }

    void Startup_KeyFile_IndicatorsOrFallbackWithoutCrash() {
        AppFixture shell(400);
        QVERIFY(shell.KeyChecked());
        // The stored length is not rewritten from the file: it is never read back.
        QCOMPARE(shell.KeyShown().mid(0, 6), AppFixture::KeyInUse(u"KEY.ORB"_s, 400).mid(0, 6));
        QCOMPARE(shell.Text("Panel4"), u"09:05"_s);
        // The key picture is drawn at the size it is shown, not blown up.
        const QPixmap picture = shell.Find<QLabel>("Picture1")->pixmap();
        QCOMPARE(picture.deviceIndependentSize().toSize(), QSize(128, 128));
        QCOMPARE(picture.size(), QSize(128, 128) * shell.window->devicePixelRatio());
        for (int records : {50, 10001}) { // too short for the slider, or beyond the tables
            WriteKeyFile(shell.Path("KEY.ORB"), records);
            WriteKeyFile(shell.Path("refused.orb"), 20);
            shell.settings.Write("key", "refused.orb");
            shell.Start();
            QVERIFY(!shell.KeyChecked());
            QCOMPARE(shell.state->keyLength, 366);
            // The window names the fallback key, which is the one in use.
            QCOMPARE(shell.KeyShown(), AppFixture::KeyInUse(u"KEY.ORB"_s, 366));
        }
        // A sound KEY.ORB unused because the stored key is not: the key action asks, never overwrites.
        WriteKeyFile(shell.Path("KEY.ORB"), 200);
        WriteKeyFile(shell.Path("long.orb"), 10001);
        shell.settings.Write("key", "long.orb");
        const QByteArray key = ReadFile(shell.Path("KEY.ORB"));
        shell.Start();
        QVERIFY(!shell.state->keyPresent);
        shell.PressKey(QString());
        QCOMPARE(shell.dialogs.saved.size(), std::size_t{1});
        QCOMPARE(ReadFile(shell.Path("KEY.ORB")), key);
    }

    void KeyAction_NoKeyAtStartOrNewName_FormsKeyOfSliderLengthAndConfirmsIt() {
        AppFixture shell;
        shell.Find<QSlider>("Slider")->setValue(150);
        shell.PressKey(u"never asked.orb"_s);
        QVERIFY(shell.dialogs.saved.empty());
        const QByteArray key = ReadFile(shell.Path("KEY.ORB"));
        QCOMPARE(key.size(), 150 * 258);
        QCOMPARE(shell.KeyShown(), AppFixture::KeyInUse(u"KEY.ORB"_s, 150));
        QVERIFY(shell.KeyChecked() && shell.state->keyPresent);
        // Which file, its fingerprint (as on the VELT tab), and that the correspondent needs it.
        const std::string print = KeyFingerprint(std::span(reinterpret_cast<const std::uint8_t*>(key.data()),
                                                           static_cast<std::size_t>(key.size())));
        QCOMPARE(shell.Text("lblFingerprint"), QString::fromStdString("Fingerprint: " + print));
        QCOMPARE(shell.messages.shown.size(), std::size_t{1});
        const std::string said = shell.messages.shown[0].text;
        for (const std::string& part : {std::string("in KEY.ORB"), "Fingerprint: " + print,
                                        std::string("needs this very key file")}) {
            QVERIFY2(said.find(part) != std::string::npos, said.c_str());
        }

        // With a key present, a new name forms a key beside the old one; the dialog speaks Hungarian,
        // and a name without an extension gets ".orb".
        shell.Find<QComboBox>("Nyelv")->setCurrentIndex(1);
        QCOMPARE(shell.Text("lblSliderCaption"), u"Kulcshossz"_s);
        QVERIFY(shell.Text("lblFingerprint").startsWith(u"Ujjlenyomat: "_s));
        shell.Find<QSlider>("Slider")->setValue(120);
        shell.messages.shown.clear();
        shell.PressKey(u"új kulcs"_s);
        QCOMPARE(shell.dialogs.saved.at(0).filter, u"Kulcs fájl (*.orb)| *.orb"_s);
        QCOMPARE(shell.dialogs.saved.at(0).title, u"FIGYELEM ! Kulcsfájl létrehozás / csere ..."_s);
        QCOMPARE(ReadFile(shell.Path("új kulcs.orb")).size(), 120 * 258);
        QVERIFY(!QFile::exists(shell.Path("új kulcs")));
        QCOMPARE(ReadFile(shell.Path("KEY.ORB")), key);
        QCOMPARE(shell.KeyShown(), AppFixture::KeyInUse(u"új kulcs.orb"_s, 120));
        QVERIFY(shell.KeyChecked());
        QVERIFY(shell.Said().value(0).contains(QString::fromStdString("Ujjlenyomat: " + shell.state->keyFingerprint)));
        QVERIFY(shell.state->keyFingerprint != print);
    }

    void Slider_MovesClicksAndLengthsBelowTheKeyFile_SetLengthMarkedWithTheReason() {
        AppFixture shell(366);
        auto* slider = shell.Find<QSlider>("Slider");
        auto* label = shell.Find<QLabel>("lblSL");
        slider->setValue(5000);
        slider->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(shell.state->keyLength, 4900);
        QCOMPARE(AccessibleName(label), u"4900 \u2260 366"_s); // read afresh, not frozen at start
        shell.Click("lblSL");
        QCOMPARE(label->text() + QString::number(shell.state->keyLength), u"366366"_s);
        QVERIFY(!shell.window->ShowKeyLength(99) && !shell.window->ShowKeyLength(10001));
        QVERIFY(!label->toolTip().contains(u"366 positions"_s));
        slider->setValue(110);
        QCOMPARE(label->text(), u"110 \u2260 366"_s);
        QVERIFY2(label->toolTip().contains(u"KEY.ORB holds 366 positions, but only the first 110"_s) &&
                     label->toolTip().contains(u"set the key length to 110"_s),
                 qPrintable(label->toolTip()));
        // A key file of another length: the default the label's click sets is marked as well.
        WriteKeyFile(shell.Path("long.orb"), 500);
        shell.PressKey(shell.Path("long.orb"));
        shell.Find<QComboBox>("Nyelv")->setCurrentIndex(1);
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(label->text(), u"366 \u2260 500"_s);
        QVERIFY(label->toolTip().contains(u"500 pozíciót"_s));
        // Beyond the key file's records no letter codes: said so, not that only part is used.
        slider->setValue(600);
        QVERIFY2(label->toolTip().contains(u"csak 500 pozíciót"_s), qPrintable(label->toolTip()));
    }

    void Startup_KeyPlaceOthersMayChange_RepairedOrRefused() {
        if (::geteuid() != 0) {
            QSKIP("giving a key to another user needs the superuser");
        }
        namespace fs = std::filesystem;
        AppFixture shell(366);
        const fs::path folder = shell.folder.path().toStdString();
        fs::permissions(folder, fs::perms(0777));
        fs::permissions(folder / "KEY.ORB", fs::perms(0666));
        velt::app::SecureKeyPlace(*shell.state);
        QCOMPARE(fs::status(folder).permissions(), fs::perms(0755));
        QCOMPARE(fs::status(folder / "KEY.ORB").permissions(), fs::perms(0644));
        QVERIFY(shell.messages.shown.size() == 2 && shell.messages.shown[0].icon == MessageIcon::Information &&
                shell.Said()[0].contains(u"writable by you alone"_s));
        QVERIFY(!shell.state->keyPlaceUnsafe);

        // Another user's key cannot be repaired: refused, and no key of the folder is used.
        QVERIFY(::chown((folder / "KEY.ORB").c_str(), 12345, static_cast<gid_t>(-1)) == 0);
        shell.messages.shown.clear();
        shell.state->keyPresent = false;
        velt::app::SecureKeyPlace(*shell.state);
        QVERIFY(shell.messages.shown.at(0).icon == MessageIcon::Critical &&
                shell.Said()[0].contains(u"belongs to another user"_s));
        QVERIFY(shell.state->keyPlaceUnsafe);
        shell.state->OpenKeyStore();
        QVERIFY(!shell.state->keyPresent && !shell.KeyChecked());
        QVERIFY_THROWS_EXCEPTION(VeltError, shell.state->LoadKey());
    }

    void KeyAction_UnsoundKeyAtStart_ReplacedOnlyAfterYes() {
        namespace fs = std::filesystem;
        // Tests run as root, whom no mode bits keep out: a link that leads to itself cannot be read by anyone.
        const auto unreadable = [](const QString& path) { fs::create_symlink("KEY.ORB", path.toStdString()); };
        const auto damaged = [](const QString& path) {
            WriteKeyFile(path, 200);
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append));
            file.write(QByteArray(100, 'x'));
        };
        const std::pair<std::function<void(const QString&)>, std::string> keys[] = {
            {unreadable, "cannot be read"}, {damaged, "record 201 is cut short"}};
        for (const auto& [make, why] : keys) {
            for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
                AppFixture shell;
                make(shell.Path("KEY.ORB"));
                const auto before = fs::symlink_status(shell.Path("KEY.ORB").toStdString()).type();
                const QByteArray bytes = before == fs::file_type::symlink ? QByteArray() : ReadFile(shell.Path("KEY.ORB"));
                shell.Start();
                QVERIFY(!shell.state->keyPresent);
                shell.messages.answers = {answer};
                shell.PressKey(QString());
                QVERIFY(shell.dialogs.saved.empty());
                const Message& question = shell.messages.shown.at(0);
                QVERIFY(question.buttons == MessageButtons::YesNo && question.defaultAnswer == MessageAnswer::No);
                for (const std::string& part : {shell.Path("KEY.ORB").toStdString(), why,
                                               std::string("can then no longer be read")}) {
                    QVERIFY2(question.text.find(part) != std::string::npos, question.text.c_str());
                }
                if (answer == MessageAnswer::No) {
                    QCOMPARE(fs::symlink_status(shell.Path("KEY.ORB").toStdString()).type(), before);
                    QVERIFY(before == fs::file_type::symlink || ReadFile(shell.Path("KEY.ORB")) == bytes);
                    QCOMPARE(shell.messages.shown.size(), std::size_t{1});
                    QVERIFY(!shell.state->keyPresent);
                } else {
                    QCOMPARE(ReadFile(shell.Path("KEY.ORB")).size(), 366 * 258);
                    QCOMPARE(shell.KeyShown(), AppFixture::KeyInUse(u"KEY.ORB"_s, 366));
                    QCOMPARE(shell.messages.shown.at(1).icon, MessageIcon::Information);
                }
            }
        }
    }

    void KeyAction_ExistingNameOrCancel_ExchangesOrChangesNothing() {
        AppFixture shell(366);
        WriteKeyFile(shell.Path("big.orb"), 10000); // 2,580,000 bytes
        WriteKeyFile(shell.Path("short.orb"), 99);
        WriteKeyFile(shell.Path("long.orb"), 10001);
        WriteFile(shell.Path("noise.orb"), QByteArray(100 * 258, 'n')); // the size of a key, but no key
        QByteArray twice = ReadFile(shell.Path("big.orb")).left(150 * 258);
        twice[42 * 258 + 2] = twice[42 * 258 + 3]; // record 43 holds one code twice
        WriteFile(shell.Path("twice.orb"), twice);

        shell.PressKey(shell.Path("big.orb"));
        const velt::platform::SaveFileRequest& asked = shell.dialogs.saved.at(0);
        QCOMPARE(QStringList({asked.fileName, asked.filter, asked.title, asked.initialFolder}),
                 QStringList({u"Key"_s, u"KEY file (*.orb)| *.orb"_s,
                              u"ATTENTION ! Key file formation / exchange ..."_s, shell.folder.path()}));
        QCOMPARE(shell.KeyShown(), AppFixture::KeyInUse(u"big.orb"_s, 10000));
        // Where the key lies, and its name, shown as they are whatever the name holds.
        for (const char* label : {"Label9", "Panel2"}) {
            QCOMPARE(shell.Find<QLabel>(label)->textFormat(), Qt::PlainText);
        }
        QCOMPARE(QTextDocumentFragment::fromHtml(shell.Find<QLabel>("Label9")->toolTip()).toPlainText(),
                 shell.Path("big.orb"));
        QVERIFY(ReadFile(shell.Path("velt.ini")).contains("[Option]\nkey=big.orb\nkeyLenght=10000\n"));
        QVERIFY(shell.messages.shown.at(0).text.starts_with("The key big.orb (10000 positions) is now in use.\n\n"
                                                            "Fingerprint: " +
                                                            shell.state->keyFingerprint));

        // Anything but a whole key of 100 to 10000 sound records is refused naming why; a cancel passes silently.
        QByteArray cut = ReadFile(shell.Path("big.orb")).left(200 * 258 + 100);
        WriteFile(shell.Path("cut.orb"), cut);
        const std::string cutVerdict =
            DescribeError(VeltError(ErrorKind::KeyRecordTruncated, "", 201, 0, "cut.orb"), Language::English);
        const std::pair<QString, std::string> refused[] = {{u"short.orb"_s, "99 positions"},
                                                           {u"cut.orb"_s, cutVerdict},
                                                           {u"long.orb"_s, "above 10000"},
                                                           {u"noise.orb"_s, "record 1 has a wrong length"},
                                                           {u"twice.orb"_s, "record 43 does not hold"},
                                                           {QString(), ""}};
        for (const auto& [answer, why] : refused) {
            shell.messages.shown.clear();
            const QByteArray settingsBefore = ReadFile(shell.Path("velt.ini"));
            const QStringList filesBefore = QDir(shell.folder.path()).entryList(QDir::Files);
            shell.PressKey(answer);
            QCOMPARE(shell.KeyShown(), AppFixture::KeyInUse(u"big.orb"_s, 10000));
            QCOMPARE(ReadFile(shell.Path("velt.ini")), settingsBefore);
            QCOMPARE(QDir(shell.folder.path()).entryList(QDir::Files), filesBefore);
            QCOMPARE(shell.messages.shown.size(), std::size_t(answer.isEmpty() ? 0 : 1));
            const std::string said = answer.isEmpty() ? "" : shell.messages.shown[0].text;
            QVERIFY2(said.find(answer.toStdString()) != std::string::npos && said.find(why) != std::string::npos, said.c_str());
        }
        QCOMPARE(shell.dialogs.saved.size(), std::size_t{7});
    }

    void KeyAction_KeyInAnotherFolder_CopiedWholeOrRefused() {
        AppFixture shell(366);
        QTemporaryDir elsewhere;
        const QString received = elsewhere.path() + u"/received.orb"_s;
        WriteKeyFile(received, 500, 7);
        const QByteArray key = ReadFile(received);

        shell.PressKey(received);
        QCOMPARE(ReadFile(shell.Path("received.orb")), key);
        QCOMPARE(shell.KeyShown(), AppFixture::KeyInUse(u"received.orb"_s, 500));
        QVERIFY(shell.KeyChecked() && shell.messages.shown.size() == 1);
        QVERIFY(shell.messages.shown[0].icon == MessageIcon::Information &&
                shell.Said()[0].contains(u"received.orb (500 positions) was copied"_s));

        // A damaged file is refused naming the record; nothing lands in the program's folder.
        QByteArray damaged = key;
        damaged.chop(10);
        WriteFile(elsewhere.path() + u"/cut.orb"_s, damaged);
        shell.messages.shown.clear();
        shell.PressKey(elsewhere.path() + u"/cut.orb"_s);
        QVERIFY(shell.Said().value(0).contains(u"record 500 is cut short"_s));
        QVERIFY(!QFile::exists(shell.Path("cut.orb")));
        QCOMPARE(shell.KeyShown(), AppFixture::KeyInUse(u"received.orb"_s, 500));

        // A different file of the same name is replaced only after Yes; the same one asks nothing.
        WriteKeyFile(shell.Path("other.orb"), 300);
        const QByteArray old = ReadFile(shell.Path("other.orb"));
        WriteKeyFile(elsewhere.path() + u"/other.orb"_s, 200, 3);
        for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
            shell.messages.shown.clear();
            shell.messages.answers = {answer};
            shell.PressKey(elsewhere.path() + u"/other.orb"_s);
            const Message& question = shell.messages.shown.at(0);
            QVERIFY(question.buttons == MessageButtons::YesNo && question.defaultAnswer == MessageAnswer::No);
            QVERIFY(question.text.find("other.orb") != std::string::npos);
            const bool yes = answer == MessageAnswer::Yes;
            QCOMPARE(ReadFile(shell.Path("other.orb")), yes ? ReadFile(elsewhere.path() + u"/other.orb"_s) : old);
            QCOMPARE(shell.KeyShown(), yes ? AppFixture::KeyInUse(u"other.orb"_s, 200)
                                           : AppFixture::KeyInUse(u"received.orb"_s, 500));
        }
        shell.messages.shown.clear();
        shell.PressKey(elsewhere.path() + u"/other.orb"_s);
        QVERIFY(shell.messages.shown.size() == 1 && shell.messages.shown[0].icon == MessageIcon::Information);
    }


    void Drop_FilesOrFolder_OpensItsWindowInModeOfName() {
        AppFixture shell;
        QVERIFY(QDir(shell.folder.path()).mkdir(u"letters"_s));
        for (const char* name : {"letter.txt", "letters/a.JPG", "letters/b.jpg", "photo.Jpg"}) {
            WriteFile(shell.Path(name), "x");
        }
        using velt::platform::Direction;
        // Dropped names; the folder window's folder, or none for the file window; the direction; the
        // files selected in the folder window.
        using Chosen = std::vector<std::string>;
        const std::tuple<QStringList, QString, Direction, Chosen> drops[] = {
            {{u"letter.txt"_s}, {}, Direction::Sending, {}},
            {{u"letters"_s}, u"letters"_s, Direction::Sending, {}},
            {{u"letters/a.JPG"_s, u"letters/b.jpg"_s}, u"letters"_s, Direction::Reception, {"a.JPG", "b.jpg"}},
            {{u"photo.Jpg"_s, u"letter.txt"_s}, u"."_s, Direction::Sending, {"photo.Jpg", "letter.txt"}}};
        int opened = 0;
        for (const auto& [names, folder, direction, chosen] : drops) {
            QVERIFY(Drop(shell, shell.window.get(), names));
            ++opened;
            QTRY_COMPARE(shell.jobs.fileWindow + shell.jobs.folderWindow, opened);
            QVERIFY(!shell.window->isVisible());
            if (folder.isEmpty()) {
                QVERIFY(shell.jobs.file->direction == direction);
                QCOMPARE(shell.jobs.file->source, std::filesystem::path(shell.Path(names[0]).toStdString()));
            } else {
                QVERIFY(shell.jobs.folder->direction == direction);
                QCOMPARE(shell.jobs.folder->folder, std::filesystem::path(QDir::cleanPath(shell.Path(folder)).toStdString()));
                QCOMPARE(shell.jobs.folder->selected, chosen);
            }
            shell.window->show();
        }
        // Over the reference text, which would otherwise take the file's name as text.
        auto* reference = shell.Find<app::MaskedTextEdit>("txtRef")->findChild<QPlainTextEdit*>();
        const QString before = reference->toPlainText();
        QVERIFY(Drop(shell, reference->viewport(), {u"photo.Jpg"_s}));
        QTRY_COMPARE(shell.jobs.fileWindow, 2);
        QVERIFY(shell.jobs.file->direction == Direction::Reception && shell.jobs.file->title == "photo.Jpg");
        QCOMPARE(reference->toPlainText(), before);
        shell.window->show();

        // Not local files, or a modal window (such as the wait window) up: the window does not take the drag.
        QVERIFY(!Drop(shell, shell.window.get(), {}, {QUrl(u"https://example.org/a.txt"_s)}));
        QVERIFY(!Drop(shell, shell.window.get(), {u"letter.txt"_s}, {QUrl(u"https://e.org/b"_s)}));
        QWidget wait;
        wait.setWindowModality(Qt::ApplicationModal);
        wait.show();
        QVERIFY(!Drop(shell, shell.window.get(), {u"letter.txt"_s}));
        wait.close();
        QCoreApplication::processEvents(); // an open it might have queued
        QCOMPARE(shell.jobs.fileWindow + shell.jobs.folderWindow, 5);
        QVERIFY(shell.messages.shown.empty());
    }

    void Arguments_RelativeOrMissing_OpenAbsoluteOrNameTheMissingOne() {
        AppFixture shell;
        WriteFile(shell.Path("report.pdf.JPG"), "x");
        const QString previous = QDir::currentPath();
        QDir::setCurrent(shell.folder.path());
        const bool opened = shell.window->OpenFromOutside({u"report.pdf.JPG"_s});
        QDir::setCurrent(previous);
        QVERIFY(opened && shell.jobs.fileWindow == 1 && shell.jobs.file->direction == velt::platform::Direction::Reception);
        QCOMPARE(shell.jobs.file->source, std::filesystem::path(shell.Path("report.pdf.JPG").toStdString()));
        shell.window->show();

        // One missing path among several: it is named, nothing opens, the chosen paths stay.
        shell.Find<QComboBox>("Nyelv")->setCurrentIndex(1);
        const QString missing = shell.Path("gone ő.txt");
        QVERIFY(!shell.window->OpenFromOutside({shell.Path("report.pdf.JPG"), missing}));
        QVERIFY(shell.jobs.fileWindow + shell.jobs.folderWindow == 1 && shell.window->isVisible());
        QCOMPARE(shell.messages.shown.at(0).icon, MessageIcon::Critical);
        QVERIFY(!shell.window->OpenFromOutside({}));
        QCOMPARE(shell.Said(), QStringList{u"HIBA: "_s + missing + u" nem nyitható meg: nincs ilyen fájl vagy mappa."_s});
    }

    void HandedOver_IdleOrInUse_OpensNowOrOnceVeltIsFree() {
        AppFixture shell;
        WriteFile(shell.Path("a.txt"), "x");
        WriteFile(shell.Path("b.JPG"), "x");
        shell.window->showMinimized();
        shell.window->TakeHandedOver({});
        QVERIFY(shell.window->isVisible() && !shell.window->isMinimized());
        shell.window->TakeHandedOver({shell.Path("a.txt")});
        QCOMPARE(shell.jobs.fileWindow, 1);

        // A job window in use: it comes first; the same request twice waits once.
        QWidget jobWindow;
        jobWindow.show();
        shell.window->TakeHandedOver({shell.Path("b.JPG")});
        shell.window->TakeHandedOver({shell.Path("b.JPG")});
        QCoreApplication::processEvents();
        QVERIFY(jobWindow.isVisible() && !shell.window->isVisible() && shell.jobs.fileWindow == 1);
        jobWindow.close();
        shell.window->show();
        QTRY_COMPARE(shell.jobs.fileWindow, 2);
        QVERIFY(shell.jobs.file->direction == velt::platform::Direction::Reception);

        // A modal window over the main window: the request waits until the main window is active again.
        shell.window->show();
        QWidget dialog;
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        shell.window->TakeHandedOver({shell.Path("a.txt")});
        QCoreApplication::processEvents();
        QCOMPARE(shell.jobs.fileWindow, 2);
        dialog.close();
        shell.window->activateWindow();
        QTRY_COMPARE(shell.jobs.fileWindow, 3);
        QCoreApplication::processEvents();
        QVERIFY(shell.jobs.fileWindow == 3 && shell.jobs.file->direction == velt::platform::Direction::Sending);
        QVERIFY(shell.messages.shown.empty());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
