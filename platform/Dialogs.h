#pragma once

#include <QString>

namespace velt::platform {

/// An open-file dialog. `filter` holds description|pattern pairs separated by bars.
struct OpenFileRequest {
    QString title;
    QString initialFolder;
    QString filter;
    QString presetName;
};

/// The chosen file; an empty title means the user cancelled.
struct OpenFileResult {
    QString path;
    QString title;
};

/// A save-file dialog; `fileName` is the name proposed in its name box.
struct SaveFileRequest {
    QString fileName;
    QString filter;
    QString title;
    QString initialFolder;
    /// Ask before an existing file is chosen; off where choosing an existing file is the point.
    bool confirmOverwrite = false;
    /// Added to a chosen name without an extension (no dot), before the overwrite question.
    QString defaultSuffix{};
};

/// The file dialogs and the folder browser of the windows.
class IDialogs {
public:
    virtual ~IDialogs() = default;
    virtual OpenFileResult OpenFile(const OpenFileRequest& request) = 0;
    /// The chosen file's full path, or empty when cancelled.
    virtual QString SaveFile(const SaveFileRequest& request) = 0;
    /// The picked folder without a trailing separator (except a root), or empty when cancelled.
    virtual QString FolderBrowser(const QString& title) = 0;
};

/// Turns "desc|pattern|desc|pattern" into Qt's "desc (pattern);;..." form, "*.*" as "*".
QString QtFilter(const QString& barFilter);

/// The platform's dialogs.
class Dialogs final : public IDialogs {
public:
    OpenFileResult OpenFile(const OpenFileRequest& request) override;
    QString SaveFile(const SaveFileRequest& request) override;
    QString FolderBrowser(const QString& title) override;
};

} // namespace velt::platform
