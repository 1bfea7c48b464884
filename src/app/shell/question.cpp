#include "shell/question.h"
#include "shell/test_hooks.h"

#include "shell/application.h"

#include <QMessageBox>

namespace shell {
namespace {

class MessageBoxAnswerer : public QuestionAnswerer {
public:
    SaveChangesAnswer askSaveChanges(const QString& caption, const QString& text,
                                     QWidget* parent) override {
        QMessageBox box(QMessageBox::Warning, caption, text,
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
        box.setDefaultButton(QMessageBox::Save);
        box.setEscapeButton(QMessageBox::Cancel);
        box.setWindowIcon(fullApplicationIcon());
        switch (box.exec()) {
        case QMessageBox::Save:
            return SaveChangesAnswer::Save;
        case QMessageBox::Discard:
            return SaveChangesAnswer::Discard;
        default:
            return SaveChangesAnswer::Cancel;
        }
    }

    bool askYesNo(const QString& caption, const QString& text, QWidget* parent) override {
        QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No,
                        parent);
        box.setDefaultButton(QMessageBox::No);
        box.setWindowIcon(fullApplicationIcon());
        return box.exec() == QMessageBox::Yes;
    }
};

MessageBoxAnswerer messageBoxAnswerer;
QuestionAnswerer* currentAnswerer = &messageBoxAnswerer;

} // namespace

void setQuestionAnswerer(QuestionAnswerer* answerer) {
    currentAnswerer = answerer ? answerer : &messageBoxAnswerer;
}

SaveChangesAnswer askSaveChanges(const QString& text, QWidget* parent) {
    return currentAnswerer->askSaveChanges(applicationTitle(), text, parent);
}

bool askYesNo(const QString& text, QWidget* parent) {
    return currentAnswerer->askYesNo(applicationTitle(), text, parent);
}

} // namespace shell
