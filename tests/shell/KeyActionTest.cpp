// The toolbar's key action: forming a key, exchanging a key file, cancelling.
#include "KeyAction.h"

#include "ShellFixture.h"

#include <QAction>
#include <QComboBox>
#include <QDir>

using namespace Qt::StringLiterals;
using namespace velt::testing;

namespace {
/// Presses "Kulcs"; the save dialog answers `answer`, or cancels when it is empty.
void PressKey(ShellFixture& shell, const QString& answer = {}) {
    if (!answer.isEmpty()) {
        shell.dialogs.saveAnswers.push_back(answer);
    }
    shell.Find<QAction>("Kulcs")->trigger();
}
} // namespace

class KeyActionTest final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void Form_NoKeyAtStartOrNewName_KeyOfSliderLength() {
        ShellFixture shell;
        shell.Start();
        shell.Find<QSlider>("Slider")->setValue(150);
        PressKey(shell, u"never asked.orb"_s);
        QVERIFY(shell.dialogs.saved.empty() && shell.messages.shown.empty());
        const QByteArray key = ReadFile(shell.Path("KEY.ORB"));
        QCOMPARE(key.size(), 150 * 258);
        QCOMPARE(key.mid(149 * 258, 2), QByteArray("\x00\x01", 2));
        QCOMPARE(shell.KeyShown(), ShellFixture::KeyInUse(u"KEY.ORB"_s, 150));
        QVERIFY(shell.KeyChecked() && shell.state->keyPresent);

        // With a key present, a new name forms a key beside the old one; the dialog speaks Hungarian.
        shell.dialogs.saveAnswers.clear();
        shell.Find<QComboBox>("Nyelv")->setCurrentIndex(1);
        shell.Find<QSlider>("Slider")->setValue(120);
        PressKey(shell, u"új kulcs.orb"_s);
        QCOMPARE(shell.dialogs.saved.at(0).filter, u"Kulcs fájl (*.orb)| *.orb"_s);
        QCOMPARE(shell.dialogs.saved.at(0).title, u"FIGYELEM ! Kulcsfájl létrehozás / csere ..."_s);
        QCOMPARE(ReadFile(shell.Path("új kulcs.orb")).size(), 120 * 258);
        QCOMPARE(ReadFile(shell.Path("KEY.ORB")), key);
        QCOMPARE(shell.KeyShown(), ShellFixture::KeyInUse(u"új kulcs.orb"_s, 120));
        QVERIFY(shell.KeyChecked());
    }

    void Exchange_ExistingFile_TakesItsLengthOrRefusesOutOfRange() {
        ShellFixture shell;
        WriteKeyFile(shell.Path("KEY.ORB"), 366);
        WriteKeyFile(shell.Path("big.orb"), 10000);
        shell.Start();
        PressKey(shell, u"/somewhere/else/big.orb"_s); // only the name counts, never the folder
        const velt::shell::SaveFileRequest& asked = shell.dialogs.saved.at(0);
        QCOMPARE(QStringList({asked.fileName, asked.filter, asked.title, asked.initialFolder}),
                 QStringList({u"Key"_s, u"KEY file (*.orb)| *.orb"_s,
                              u"ATTENTION ! Key file formation / exchange ..."_s, shell.folder.path()}));
        QCOMPARE(ReadFile(shell.Path("big.orb")).size(), 2580000);
        QCOMPARE(shell.KeyShown(), ShellFixture::KeyInUse(u"big.orb"_s, 10000));
        QVERIFY(ReadFile(shell.Path("velt.ini")).contains("[Option]"));
        QVERIFY(ReadFile(shell.Path("velt.ini")).contains("keyLenght=10000"));

        // A length the slider cannot show is refused before anything changes.
        for (int records : {99, 10001}) {
            shell.messages.shown.clear();
            WriteKeyFile(shell.Path("odd.orb"), records);
            const QByteArray settingsBefore = ReadFile(shell.Path("velt.ini"));
            PressKey(shell, u"odd.orb"_s);
            QCOMPARE(shell.messages.shown.size(), std::size_t{1});
            QVERIFY(shell.messages.shown[0].text.find("odd.orb") != std::string::npos);
            QCOMPARE(shell.KeyShown(), ShellFixture::KeyInUse(u"big.orb"_s, 10000));
            QCOMPARE(ReadFile(shell.Path("velt.ini")), settingsBefore);
        }
    }

    void Cancel_ChangesNothing_SettingsIncluded() {
        ShellFixture shell;
        WriteKeyFile(shell.Path("KEY.ORB"), 366);
        shell.Start();
        shell.Find<QSlider>("Slider")->setValue(700);
        const QStringList before = shell.KeyShown();
        const QByteArray settingsBefore = ReadFile(shell.Path("velt.ini"));
        const QStringList filesBefore = QDir(shell.folder.path()).entryList(QDir::Files);
        PressKey(shell);
        QCOMPARE(shell.dialogs.saved.size(), std::size_t{1});
        QCOMPARE(shell.KeyShown(), before);
        QCOMPARE(ReadFile(shell.Path("velt.ini")), settingsBefore);
        QCOMPARE(QDir(shell.folder.path()).entryList(QDir::Files), filesBefore);
        QVERIFY(shell.messages.shown.empty());
    }

    void KeyLengthOfSize_Halves_GoToEvenNeighbour() {
        const std::pair<unsigned long long, long long> cases[] = {
            {366 * 258, 366},       {366 * 258 + 129, 366}, {367 * 258 + 129, 368},
            {366 * 258 + 128, 366}, {366 * 258 + 130, 367}, {0, 0}};
        for (const auto& [size, length] : cases) {
            QCOMPARE(velt::shell::KeyLengthOfSize(size), length);
        }
    }
};

QTEST_MAIN(KeyActionTest)
#include "KeyActionTest.moc"
