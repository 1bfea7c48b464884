#pragma once

#include "shell/built_on_first_use.h"

#include <QString>
#include <QWidget>

class QPlainTextEdit;

// The aircraft list window: which damage file belongs to which aircraft, as plain text.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    // Loads the list file from the executable's folder.
    explicit TForm4(QWidget* parent = nullptr);
    // Loads the list file from listFolder, which ends with a path separator.
    explicit TForm4(const QString& listFolder, QWidget* parent = nullptr);

    // Built on its first use, the window's first showing at the latest, with the text read at
    // creation.
    shell::BuiltOnFirstUse<QPlainTextEdit> LMDMemo1{[this] { return buildMemo(); }};

    void FormCreate();
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPlainTextEdit* buildMemo();

    QString listFolder_;
    QString listText_;
    bool placed_ = false;
};

extern TForm4* Form4;

// The list shown when "DM File List.txt" cannot be read: 40 lines, each ended by CR LF.
QString builtInAircraftList();
