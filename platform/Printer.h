#pragma once

#include <QString>
#include <memory>

class QPrinter;
class QWidget;

namespace velt::platform {

/// The printer as the editor uses it: choose a printer, then print one text on it.
class IPrinter {
public:
    virtual ~IPrinter() = default;
    /// The print dialog, offering neither a selection nor page numbers; false when cancelled.
    virtual bool ChoosePrinter(QWidget* parent) = 0;
    /// Prints `text` as one document on the chosen printer; false when printing failed.
    virtual bool PrintText(const QString& text) = 0;
};

/// Prints `text` on `printer`: lines too long for the paper are wrapped (anywhere, when a
/// line has no blank, as an armoured text has none), over as many numbered pages as it takes.
/// False when the printer could not be started or reported an error.
bool PrintPlainText(QPrinter& printer, const QString& text);

/// The platform's print dialog and printers.
class Printer final : public IPrinter {
public:
    Printer();
    ~Printer() override;
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    bool ChoosePrinter(QWidget* parent) override;
    bool PrintText(const QString& text) override;

private:
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace velt::platform
