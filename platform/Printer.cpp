#include "platform/Printer.h"

#include <QFontDatabase>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>
#include <QTextOption>

namespace velt::platform {

bool PrintPlainText(QPrinter& printer, const QString& text) {
    QTextDocument document;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
    document.setDefaultFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setPlainText(text);
    // Laid out on pages with margins and page numbers; an error to start or write shows in the state.
    document.print(&printer);
    return printer.printerState() != QPrinter::Error;
}

Printer::Printer() : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

Printer::~Printer() = default;

bool Printer::ChoosePrinter(QWidget* parent) {
    QPrintDialog dialog(m_printer.get(), parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

bool Printer::PrintText(const QString& text) {
    return PrintPlainText(*m_printer, text);
}

} // namespace velt::platform
