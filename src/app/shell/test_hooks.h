#pragma once

// Hooks for tests and benchmarks: stand-ins for the file dialogs, the questions, the error box and
// the executable's folder, and a look at the end request. The program itself never calls these.

#include <QString>

namespace shell {

class ErrorPresenter;
class FileDialogRunner;
class QuestionAnswerer;

// Replaces the runner; nullptr puts the real dialog back.
void setFileDialogRunner(FileDialogRunner* runner);
// Replaces the answerer; nullptr puts the message boxes back.
void setQuestionAnswerer(QuestionAnswerer* answerer);
// Replaces the presenter; nullptr puts the modal message box back.
void setErrorPresenter(ErrorPresenter* presenter);

// Runs the program as a portable copy in another folder; an empty folder removes the override.
void setExecutableFolderOverride(const QString& folder);

// Whether the program was told to end, and forgetting it before the next test.
bool terminateRequested();
void resetTerminateRequest();

} // namespace shell
