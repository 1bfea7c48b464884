#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class DamageDocument;
class QWidget;

// Notices, whenever the editor window becomes active again, that another program has changed or
// deleted the open file, and offers to read it again. A declined change is not asked about again
// until the file changes once more; a deleted file is said once.
class ReloadWatch : public QObject {
    Q_OBJECT
public:
    struct Links {
        std::function<bool()> hasUnsavedEdits;
        // Reads the current file again as Open does, without the unsaved-changes question.
        std::function<void()> reload;
    };

    ReloadWatch(QWidget& window, DamageDocument& document, Links links);

    // Compares the file on disk with what was last read or saved, and asks or tells.
    void check();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    DamageDocument& document_;
    Links links_;
    std::optional<std::vector<std::uint8_t>> asked_; // the bytes last asked about
    bool goneTold_ = false;
    bool checking_ = false;
    bool queued_ = false;
};
