#pragma once

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

    QPlainTextEdit* LMDMemo1;

    void FormCreate();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString listFolder_;
    bool placed_ = false;
};

extern TForm4* Form4;

// The list shown when "DM File List.txt" cannot be read: 40 lines, each ended by CR LF.
QString builtInAircraftList();
