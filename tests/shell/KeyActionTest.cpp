// The toolbar's key action: forming a key, exchanging a key file, cancelling.
#include "KeyAction.h"

#include "ShellFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QSlider>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace velt;
using namespace velt::shell;
using velt::testing::ShellFixture;
using velt::testing::WriteKeyFile;

namespace {
void PressKey(ShellFixture& shell) {
    shell.Find<QAction>(u"Kulcs"_s)->trigger();
}

qint64 SizeOf(const QString& path) {
    return QFileInfo(path).size();
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class KeyActionTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void NoKeyAtStart_FormsDefaultKeyAtOnce_WithoutDialog() {
        ShellFixture shell;
        shell.Start();
        shell.Find<QSlider>(u"Slider"_s)->setValue(150);
        PressKey(shell);
        QVERIFY(shell.dialogs.saved.empty());
        QCOMPARE(SizeOf(shell.Path(u"KEY.ORB"_s)), qint64{150 * 258});
        const QByteArray key = Bytes(shell.Path(u"KEY.ORB"_s));
        QCOMPARE(key.left(2), QByteArray("\x00\x01", 2));
        QCOMPARE(key.mid(258, 2), QByteArray("\x00\x01", 2));
        QVERIFY(shell.Find<QCheckBox>(u"Check2"_s)->isChecked());
        QVERIFY(shell.state->keyPresent);
        QCOMPARE(shell.Find<QLabel>(u"Label9"_s)->text(), u"KEY.ORB"_s);
        QCOMPARE(shell.settings.Read("key"), std::optional<std::string>("KEY.ORB"));
        QCOMPARE(shell.settings.Read("keyLenght"), std::optional<std::string>("150"));
        QVERIFY(shell.messages.shown.empty());
    }

    void Exchange_ExistingFile_TakesNameAndLengthFromIt() {
        ShellFixture shell;
        WriteKeyFile(shell.Path(u"KEY.ORB"_s), 366);
        WriteKeyFile(shell.Path(u"big.orb"_s), 10000);
        shell.Start();
        // The folder the user wandered to in the dialog does not count, only the name.
        shell.dialogs.saveAnswers.push_back(u"/somewhere/else/big.orb"_s);
        PressKey(shell);

        QCOMPARE(shell.dialogs.saved.size(), std::size_t{1});
        const SaveFileRequest& request = shell.dialogs.saved[0];
        QCOMPARE(request.fileName, u"Key"_s);
        QCOMPARE(request.filter, u"KEY file (*.orb)| *.orb"_s);
        QCOMPARE(request.title, u"ATTENTION ! Key file formation / exchange ..."_s);
        QCOMPARE(request.initialFolder, shell.folder.path());

        QCOMPARE(SizeOf(shell.Path(u"big.orb"_s)), qint64{2580000});
        QCOMPARE(shell.state->keyFileName, std::string("big.orb"));
        QCOMPARE(shell.state->keyLength, 10000);
        QCOMPARE(shell.Find<QSlider>(u"Slider"_s)->value(), 10000);
        QCOMPARE(shell.Find<QLabel>(u"lblSL"_s)->text(), u"10000"_s);
        QCOMPARE(shell.Find<QLabel>(u"Label9"_s)->text(), u"big.orb"_s);
        QCOMPARE(shell.Find<QLabel>(u"Panel2"_s)->text(), u"big.orb"_s);
        QCOMPARE(shell.settings.Read("key"), std::optional<std::string>("big.orb"));
        QCOMPARE(shell.settings.Read("keyLenght"), std::optional<std::string>("10000"));
        QVERIFY(!QFile::exists(u"/somewhere/else/big.orb"_s));
    }

    void Exchange_LengthOutsideSlider_RefusedAndNothingChanges() {
        ShellFixture shell;
        WriteKeyFile(shell.Path(u"KEY.ORB"_s), 366);
        WriteKeyFile(shell.Path(u"tiny.orb"_s), 99);
        shell.Start();
        const QByteArray settingsBefore = Bytes(shell.Path(u"velt.ini"_s));
        shell.dialogs.saveAnswers.push_back(u"tiny.orb"_s);
        PressKey(shell);
        QCOMPARE(shell.messages.shown.size(), std::size_t{1});
        QCOMPARE(shell.messages.shown[0].icon, MessageIcon::Critical);
        QCOMPARE(shell.messages.shown[0].title, std::string("ERROR"));
        QVERIFY(shell.messages.shown[0].text.find("tiny.orb") != std::string::npos);
        QCOMPARE(shell.state->keyFileName, std::string("KEY.ORB"));
        QCOMPARE(shell.state->keyLength, 366);
        QCOMPARE(Bytes(shell.Path(u"velt.ini"_s)), settingsBefore);
        QCOMPARE(shell.Find<QLabel>(u"Label9"_s)->text(), u"KEY.ORB"_s);
    }

    void Form_NewName_KeyOfSliderLengthInProgramFolder() {
        ShellFixture shell;
        WriteKeyFile(shell.Path(u"KEY.ORB"_s), 366);
        shell.Start();
        shell.Find<QComboBox>(u"Nyelv"_s)->setCurrentIndex(1);
        shell.Find<QSlider>(u"Slider"_s)->setValue(120);
        shell.dialogs.saveAnswers.push_back(u"új kulcs.orb"_s);
        PressKey(shell);
        QCOMPARE(shell.dialogs.saved[0].filter, u"Kulcs fájl (*.orb)| *.orb"_s);
        QCOMPARE(shell.dialogs.saved[0].title, u"FIGYELEM ! Kulcsfájl létrehozás / csere ..."_s);
        QCOMPARE(SizeOf(shell.Path(u"új kulcs.orb"_s)), qint64{120 * 258});
        QCOMPARE(SizeOf(shell.Path(u"KEY.ORB"_s)), qint64{366 * 258});
        QCOMPARE(shell.state->keyFileName, std::string("új kulcs.orb"));
        QCOMPARE(shell.state->keyLength, 120);
        QCOMPARE(shell.Find<QLabel>(u"Label9"_s)->text(), u"új kulcs.orb"_s);
        QCOMPARE(shell.settings.Read("key"), std::optional<std::string>("új kulcs.orb"));
        QCOMPARE(shell.settings.Read("keyLenght"), std::optional<std::string>("120"));
        QVERIFY(shell.Find<QCheckBox>(u"Check2"_s)->isChecked());
    }

    void Cancel_ChangesNothing_SettingsIncluded() {
        ShellFixture shell;
        WriteKeyFile(shell.Path(u"KEY.ORB"_s), 366);
        shell.Start();
        shell.Find<QSlider>(u"Slider"_s)->setValue(700);
        const QByteArray settingsBefore = Bytes(shell.Path(u"velt.ini"_s));
        const QStringList filesBefore = QDir(shell.folder.path()).entryList(QDir::Files);
        PressKey(shell); // the scripted dialog answers like a user who cancels
        QCOMPARE(shell.dialogs.saved.size(), std::size_t{1});
        QCOMPARE(shell.state->keyFileName, std::string("KEY.ORB"));
        QCOMPARE(shell.state->keyLength, 700);
        QCOMPARE(Bytes(shell.Path(u"velt.ini"_s)), settingsBefore);
        QCOMPARE(QDir(shell.folder.path()).entryList(QDir::Files), filesBefore);
        QVERIFY(shell.messages.shown.empty());
    }

    void KeyLengthOfSize_Halves_GoToEvenNeighbour() {
        QCOMPARE(KeyLengthOfSize(366 * 258), 366LL);
        QCOMPARE(KeyLengthOfSize(366 * 258 + 129), 366LL); // 366.5 -> 366
        QCOMPARE(KeyLengthOfSize(367 * 258 + 129), 368LL); // 367.5 -> 368
        QCOMPARE(KeyLengthOfSize(366 * 258 + 128), 366LL);
        QCOMPARE(KeyLengthOfSize(366 * 258 + 130), 367LL);
        QCOMPARE(KeyLengthOfSize(0), 0LL);
    }
};

QTEST_MAIN(KeyActionTest)
#include "KeyActionTest.moc"
