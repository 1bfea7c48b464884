#pragma once

#include <QString>

class QWidget;

namespace shell {

enum class SaveChangesAnswer { Save, Discard, Cancel };

// Who answers the program's questions: a message box, or a script in tests.
class QuestionAnswerer {
public:
    virtual ~QuestionAnswerer() = default;
    virtual SaveChangesAnswer askSaveChanges(const QString& caption, const QString& text,
                                             QWidget* parent) = 0;
    virtual bool askYesNo(const QString& caption, const QString& text, QWidget* parent) = 0;
};

// Save, Discard or Cancel for unsaved changes; captioned with the application title.
SaveChangesAnswer askSaveChanges(const QString& text, QWidget* parent = nullptr);
// Yes or No, with No the default: before a file is replaced or overwritten.
bool askYesNo(const QString& text, QWidget* parent = nullptr);

} // namespace shell
