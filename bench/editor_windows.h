#pragma once

#include "../tests/support/test_support.h"
#include "paint_box.h"
#include "program.h"
#include "shell/application.h"
#include "shell/file_dialog.h"
#include "side_view.h"
#include "start_window.h"
#include "top_view.h"

#include <QCoreApplication>
#include <QFile>

#include <benchmark/benchmark.h>

#include <optional>

namespace benchsupport {

// Confirms every file dialog with the same file, as a user who always picks it.
class ConfirmingDialogs : public shell::FileDialogRunner {
public:
    std::optional<QString> run(const shell::FileDialog&, QWidget*) override { return file; }
    QString file;
};

// The program's windows in the editing state, over a temporary executable folder that holds the
// caption files and a copy of a sample damage file.
class EditorWindows {
public:
    EditorWindows() {
        dialogs_.file = folder_.filePath(QStringLiteral("27damage.dat"));
        QFile::copy(QStringLiteral(DM_SAMPLES_DIR "/27damage.dat"), dialogs_.file);
        QFile::setPermissions(dialogs_.file, QFile::ReadOwner | QFile::WriteOwner);
        shell::setFileDialogRunner(&dialogs_);
        program::createWindows();
        Form1->Button5Click();
        QCoreApplication::processEvents();
        paints_.watch(Form5->pb1);
        paints_.watch(Form6->pb2);
    }

    ~EditorWindows() {
        program::destroyWindows();
        shell::setFileDialogRunner(nullptr);
    }

    // Any error box fails the benchmark instead of waiting for a click.
    bool failed(benchmark::State& state) const {
        if (errors_.shown.empty())
            return false;
        state.SkipWithError(errors_.texts().join('\n').toStdString().c_str());
        return true;
    }

    int viewPaints() const { return paints_.paints; }

private:
    testsupport::ExecutableFolder folder_{shell::executableFolder()};
    testsupport::RecordingPresenter errors_;
    ConfirmingDialogs dialogs_;
    testsupport::PaintCounter paints_;
};

} // namespace benchsupport
