#include "editor/EditorWindow.h"

#include "controls/GlossButton.h"
#include "conversion/CodedTextFile.h"
#include "editor/TextBox.h"
#include "engine/AppState.h"
#include "engine/Armour.h"
#include "engine/CodePage.h"
#include "engine/Errors.h"
#include "engine/FileStreams.h"
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/IconStrip.h"
#include "platform/Printer.h"
#include "platform/SkippedStep.h"
#include "platform/UiText.h"
#include "platform/WallClock.h"
#include "platform/WindowPlace.h"
#include "resources/CoverImage.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTextCursor>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>
#include <span>

static void InitEditorIcons() {
    Q_INIT_RESOURCE(editor_icons);
}

namespace velt::editor {

using platform::WindowTextId;
namespace {
using namespace Qt::StringLiterals;

const QString kSaveKey = u"Mentés"_s;
const QString kPrintKey = u"Nyomtatás"_s;
const QString kEraseKey = u"Törlés"_s;
const QString kExitKey = u"Kilépés"_s;
// In the toolbar's order. Erasing takes a chord that no slip of the hand gives.
const std::array<QKeySequence, 4> kShortcuts{
    QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::CTRL | Qt::Key_P),
    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete), QKeySequence(Qt::Key_Escape)};
const QKeySequence kStartShortcut(Qt::CTRL | Qt::Key_Return);

/// `tip` with the key that does the same, as "Save file (Ctrl+S)".
QString WithShortcut(const QString& tip, const QKeySequence& shortcut) {
    return tip + u" ("_s + shortcut.toString(QKeySequence::NativeText) + u')';
}

/// A box's whole text as single-byte codes, line breaks as CR LF as the correspondents' copies
/// keep them. Throws VeltError(UncodableCharacter).
std::string CodesOf(const TextBox& box) {
    // The raw text keeps non-breaking spaces, which the plain text would turn into blanks.
    QString text = box.Drawn() ? box.Text() : box.document()->toRawText();
    text.replace(u'\n', u"\r\n"_s);
    text.replace(QChar::ParagraphSeparator, u"\r\n"_s);
    text.replace(QChar::LineSeparator, u"\r\n"_s);
    return codepage::FromUtf8(text.toStdString());
}

/// Single-byte codes as a box shows them, CR LF and lone CR as line breaks.
QString BoxTextOf(std::string_view codes) {
    const std::string utf8 = codepage::ToUtf8(codes);
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    return text;
}


} // namespace

EditorWindow::EditorWindow(AppState& state, EditorServices services, QWidget& mainWindow,
                           platform::Direction direction)
    : m_state(state), m_services(services), m_mainWindow(&mainWindow), m_direction(direction) {
    InitEditorIcons();
    setObjectName(u"Form2"_s);
    setWindowTitle(u"Transfer"_s);

    m_plainBox = MakeBox(u"RichTextBox1"_s);
    m_codedBox = MakeBox(u"RichTextBox2"_s);
    // An armoured text is one long line of digits: wrap it anywhere, in even columns.
    m_codedBox->setWordWrapMode(QTextOption::WrapAnywhere);
    m_codedBox->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    m_start = new GlossButton(this);
    m_start->setObjectName(u"Command1"_s);
    QFont font(u"Tahoma"_s, 9);
    font.setWeight(QFont::Normal);
    m_start->setFont(font);
    m_start->setColorButtonHover(QColor(144, 192, 255));
    m_start->setColorButtonUp(QColor(80, 153, 233));
    m_start->setColorButtonDown(QColor(80, 153, 233));
    m_start->setColorBright(QColor(176, 237, 255));
    m_start->setBorderBrightness(0);
    m_start->setDisplayHand(false);
    m_start->setCheckedLook(false);
    m_start->setMinimumSize(220, 40);
    connect(m_start, &GlossButton::Click, this, &EditorWindow::StartProcess);

    m_picture = new QLabel(this);
    m_picture->setObjectName(u"Picture1"_s);
    const auto cover = CoverImage();
    QPixmap picture;
    picture.loadFromData(cover.data(), static_cast<uint>(cover.size()));
    m_picture->setPixmap(picture.scaledToHeight(80, Qt::SmoothTransformation));

    auto* central = new QWidget(this);
    auto* top = new QHBoxLayout;
    top->addWidget(m_picture);
    top->addStretch(1);
    top->addWidget(m_start, 0, Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(top);
    layout->addWidget(m_plainBox, 1);
    layout->addWidget(m_codedBox, 1);
    setCentralWidget(central);
    BuildToolbar();
    resize(720, 620);

    Load();
}

TextBox* EditorWindow::MakeBox(const QString& name) {
    auto* box = new TextBox(this);
    box->setObjectName(name);
    box->setTabChangesFocus(true); // Tab leaves the box; Ctrl+Tab types a tab character
    box->installEventFilter(this);
    box->viewport()->installEventFilter(this);
    connect(box, &QPlainTextEdit::textChanged, this, &EditorWindow::OnUserChange);
    return box;
}

void EditorWindow::BuildToolbar() {
    m_toolbar = platform::IconToolbar(this, u"Toolbar1"_s);
    const std::array<QString, 4> keys{kSaveKey, kPrintKey, kEraseKey, kExitKey};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const QString key = keys[i];
        QAction* action = m_toolbar->addAction(key);
        action->setObjectName(key);
        action->setShortcut(kShortcuts[i]);
        connect(action, &QAction::triggered, this, [this, key] { OnToolbar(key); });
        if (QWidget* button = m_toolbar->widgetForAction(action)) {
            button->setObjectName(key);
            button->setFocusPolicy(Qt::TabFocus); // toolbars leave their buttons out of the Tab chain
        }
        m_actions[i] = action;
    }
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    auto* start = new QShortcut(kStartShortcut, this);
    connect(start, &QShortcut::activated, this, [this] {
        if (m_start->isEnabled()) {
            StartProcess();
        }
    });
}

void EditorWindow::Load() {
    const QVector<QIcon> icons = platform::CutIcons(QPixmap(u":/icons/editor_toolbar.png"_s), 32, 4,
                                                 QColor(255, 0, 255));
    for (std::size_t i = 0; i < m_actions.size(); ++i) {
        m_actions[i]->setIcon(icons.value(static_cast<qsizetype>(i)));
    }
    m_start->setEnabled(false);
    m_erasePending = true;
    Initialise();

    const Language language = m_state.language;
    if (const auto caption = platform::UiText(WindowTextId::StartProcess, language)) {
        m_start->setCaption(*caption);
        m_start->setToolTip(WithShortcut(*caption, kStartShortcut));
        const std::array<WindowTextId, 4> tips{WindowTextId::SaveTooltip, WindowTextId::PrintTooltip,
                                               WindowTextId::EraseTooltip, WindowTextId::ExitTooltip};
        for (std::size_t i = 0; i < m_actions.size(); ++i) {
            const QString tip = *platform::UiText(tips[i], language);
            m_actions[i]->setToolTip(WithShortcut(tip, kShortcuts[i]));
            if (QWidget* button = m_toolbar->widgetForAction(m_actions[i])) {
                button->setAccessibleName(tip);
            }
        }
        m_plainBox->setAccessibleName(*platform::UiText(WindowTextId::AccessiblePlainBox, language));
        m_codedBox->setAccessibleName(*platform::UiText(WindowTextId::AccessibleCodedBox, language));
    }
    FocusInputBox();
}

void EditorWindow::FocusInputBox() {
    // The user starts typing or pasting at once, into the box that takes input.
    (m_direction == platform::Direction::Reception ? m_codedBox : m_plainBox)->setFocus();
}

void EditorWindow::Initialise() {
    {
        const QScopedValueRollback quiet(m_quiet, m_quiet + 1);
        for (TextBox* box : {m_plainBox, m_codedBox}) {
            QTextCursor cursor = box->textCursor();
            cursor.removeSelectedText();
            cursor.movePosition(QTextCursor::Start);
            box->setTextCursor(cursor);
        }
    }
    if (m_direction == platform::Direction::Sending) {
        SetReadOnly(m_codedBox, true);
        SetReadOnly(m_plainBox, false);
    } else {
        SetReadOnly(m_plainBox, true);
        SetReadOnly(m_codedBox, false);
        m_start->setEnabled(false);
        if (!m_state.codedText.empty()) {
            SetBoxText(m_plainBox, QString());
            SetBoxText(m_codedBox, BoxTextOf(m_state.codedText));
            m_erasePending = false;
            m_start->setEnabled(true);
        }
    }
}

void EditorWindow::SetReadOnly(TextBox* box, bool readOnly) {
    box->setReadOnly(readOnly);
    // A box that takes no input is left out of the tab order until it holds a result.
    box->setFocusPolicy(readOnly ? Qt::ClickFocus : Qt::StrongFocus);
}

void EditorWindow::SetBoxText(TextBox* box, const QString& text) {
    const QScopedValueRollback quiet(m_quiet, m_quiet + 1);
    box->SetText(text);
}

void EditorWindow::OnUserChange() {
    if (m_quiet > 0) {
        return;
    }
    // The first input after opening or erasing starts afresh; the input itself stays.
    if (m_erasePending) {
        m_erasePending = false;
        TextBox* other = sender() == m_plainBox ? m_codedBox : m_plainBox;
        SetBoxText(other, QString());
    }
    // Pasting, dropping or middle-clicking text in counts as much as typing it.
    m_start->setEnabled(true);
}

bool EditorWindow::eventFilter(QObject* watched, QEvent* event) {
    TextBox* box = nullptr;
    for (TextBox* candidate : {m_plainBox, m_codedBox}) {
        if (watched == candidate || watched == candidate->viewport()) {
            box = candidate;
        }
    }
    if (box == nullptr) {
        return QMainWindow::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::FocusIn:
        if (watched == box) {
            m_currentBox = box == m_plainBox ? PlainBox : CodedBox;
        }
        break;
    case QEvent::FocusOut: {
        // A message box, a dialog or the box's own menu leaves the box current.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (watched == box && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            m_currentBox = NoBox;
        }
        break;
    }
    case QEvent::MouseButtonPress:
        if (watched == box->viewport() && m_erasePending) {
            m_erasePending = false;
            SetBoxText(m_plainBox, QString());
            SetBoxText(m_codedBox, QString());
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == box->viewport() && box == m_plainBox) {
            m_services.clipboard.Clear();
            m_services.clipboard.SetText(m_plainBox->Text());
        }
        break;
    case QEvent::KeyPress:
        if (const auto* key = static_cast<QKeyEvent*>(event);
            watched == box && key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            if (!box->isReadOnly()) {
                box->insertPlainText(u"\t"_s);
            }
            return true;
        }
        if (watched == box && !static_cast<QKeyEvent*>(event)->text().isEmpty()) {
            m_start->setEnabled(true);
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void EditorWindow::StartProcess() {
    if (m_state.Busy()) {
        return;
    }
    const AppState::Work work(m_state);
    const QString plain = m_plainBox->Text();
    const QString coded = m_codedBox->Text();
    if (plain.isEmpty() == coded.isEmpty()) {
        m_currentBox = NoBox;
        platform::ShowError(m_state, WindowTextId::NothingToCode, {});
        return;
    }
    // A failure says why and keeps what the user typed or pasted.
    try {
        if (!plain.isEmpty()) {
            Encode();
        } else {
            Decode(coded);
        }
    } catch (const WorkCancelled&) {
        // Stopped in the wait window: boxes and clipboard stay as they were, nothing is said.
        m_state.plainText.clear();
        m_state.codedText.clear();
    } catch (const std::exception& failure) {
        ShowFailure(failure);
    }
}

void EditorWindow::Encode() {
    m_state.plainText = CodesOf(*m_plainBox);
    m_state.textCoder.EncodeText();
    m_state.plainText = armour::Pack(m_state.codedText, m_state.Progress());
    const QString armoured = QString::fromLatin1(m_state.plainText.data(),
                                                 static_cast<qsizetype>(m_state.plainText.size()));
    SetBoxText(m_codedBox, armoured);
    m_services.clipboard.Clear();
    m_services.clipboard.SetText(armoured);
    SetReadOnly(m_plainBox, true);
    m_plainBox->setFocusPolicy(Qt::StrongFocus);
    m_codedBox->setFocusPolicy(Qt::StrongFocus);
    m_start->setEnabled(false);
    m_currentBox = CodedBox;
}

void EditorWindow::Decode(const QString& coded) {
    const std::optional<std::string> pairText = armour::Unpack(coded.toStdString());
    if (!pairText) {
        // Nothing coded in it: the coded box is emptied and the empty text decoded.
        SetBoxText(m_codedBox, QString());
    }
    m_state.codedText = pairText.value_or(std::string());
    m_currentBox = PlainBox;
    if (!m_state.textCoder.KeyCheck()) {
        return; // the key-missing message was shown; the coded text waits for the key
    }
    m_state.textCoder.DecodeText();
    SetBoxText(m_plainBox, BoxTextOf(m_state.plainText));
    SetReadOnly(m_codedBox, true);
    m_plainBox->setFocusPolicy(Qt::StrongFocus);
    m_codedBox->setFocusPolicy(Qt::StrongFocus);
    m_start->setEnabled(false);
}

void EditorWindow::ShowFailure(const std::exception& failure) {
    if (const auto* error = dynamic_cast<const VeltError*>(&failure)) {
        platform::ShowError(m_state, *error);
        return;
    }
    Message message;
    message.title = std::string(Text(TextId::ErrorTitle, SpokenLanguage(m_state.language)).value());
    message.text = failure.what();
    m_state.Messages().Show(message);
}

void EditorWindow::EraseContent() {
    m_state.plainText.clear();
    m_state.codedText.clear();
    m_erasePending = true;
    Initialise();
    m_services.clipboard.Clear();
    SetReadOnly(m_plainBox, m_direction != platform::Direction::Sending);
    SetReadOnly(m_codedBox, m_direction == platform::Direction::Sending);
    m_start->setEnabled(false);
    FocusInputBox();
}

void EditorWindow::OnToolbar(const QString& key) {
    if (m_state.Busy()) {
        return;
    }
    // Saving and printing report their own failures; anything else leaves the window as it is.
    platform::RunOrSkip("A toolbar command of the editor", [&] {
        if (key == kSaveKey) {
            Save();
        } else if (key == kPrintKey) {
            Print();
        } else if (key == kEraseKey) {
            EraseContent();
            SetBoxText(m_plainBox, QString());
            SetBoxText(m_codedBox, QString());
        } else if (key == kExitKey) {
            close();
        }
    });
}

void EditorWindow::Save() {
    const QTime now = m_services.wallClock.Now().time();
    const QString stamp = now.toString(u"HHmmss"_s);
    if (m_currentBox == NoBox) {
        platform::ShowError(m_state, WindowTextId::NoSelectedText, {});
        return;
    }
    const bool plain = m_currentBox == PlainBox;
    const Language language = SpokenLanguage(m_state.language);
    platform::SaveFileRequest request;
    request.fileName = (plain ? u"SelText_"_s : u"SelTextC_"_s) + stamp;
    request.title =
        *platform::UiText(plain ? WindowTextId::SavePlainTitle : WindowTextId::SaveCodedTitle, language);
    request.filter =
        *platform::UiText(plain ? WindowTextId::SavePlainFilter : WindowTextId::SaveCodedFilter, language);
    request.defaultSuffix = plain ? u"TXT"_s : u"JPG"_s;
    request.confirmOverwrite = true;
    QString path = m_services.dialogs.SaveFile(request);
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += u'.' + request.defaultSuffix;
    }
    try {
        const std::string text = CodesOf(plain ? *m_plainBox : *m_codedBox);
        const std::string bytes = plain ? text + "\r\n" : ComposeCodedTextFile(text);
        const std::filesystem::path destination(path.toStdString());
        std::error_code ignored;
        std::optional<std::filesystem::perms> mode; // a replaced file keeps its own
        if (plain && !std::filesystem::exists(destination, ignored)) {
            // A letter, typed or decoded, is nobody else's business.
            mode = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
        }
        ReplacingFile file(destination, mode, m_state.Temporaries());
        file.Write(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        file.Commit();
    } catch (const VeltError& error) {
        platform::ShowError(m_state, error);
    }
}

void EditorWindow::Print() {
    if (m_currentBox == NoBox) {
        platform::ShowError(m_state, WindowTextId::NothingToPrint, {});
        return;
    }
    const QString text = (m_currentBox == PlainBox ? m_plainBox : m_codedBox)->Text();
    if (!m_services.printer.ChoosePrinter(this)) {
        return;
    }
    if (!m_services.printer.PrintText(text)) {
        platform::ShowError(m_state, WindowTextId::PrintFailed, {});
    }
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (m_state.Busy()) {
        event->ignore(); // the coding in progress still writes into this window
        return;
    }
    // Nothing of this session is left for the next one to take as handed over.
    m_state.codedText.clear();
    m_state.plainText.clear();
    if (m_direction == platform::Direction::Reception) {
        Initialise();
    }
    if (m_mainWindow) {
        m_mainWindow->show();
    }
    event->accept();
}

bool OpenEditor(AppState& state, const EditorServices& services, QWidget& mainWindow, platform::Direction direction) {
    auto* editor = new EditorWindow(state, services, mainWindow, direction);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    platform::ShowOver(*editor, mainWindow);
    return true;
}

} // namespace velt::editor
