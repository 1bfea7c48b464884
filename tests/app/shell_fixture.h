#pragma once

#include "core/settings_store.h"
#include "platform/application.h"
#include "platform/error_display.h"
#include "program.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace shelltest {

// Records what the error box would show.
class ShellErrorRecorder : public platform::ErrorPresenter {
public:
    struct Shown {
        QString caption;
        QString text;
    };
    void present(const QString& caption, const QString& text) override {
        shown.push_back({caption, text});
    }
    QStringList texts() const {
        QStringList all;
        for (const Shown& box : shown)
            all << box.text;
        return all;
    }
    std::vector<Shown> shown;
};

// The program's windows over a temporary executable folder that holds the shipped text files.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        for (const char* name : {"DM Column Headers.txt", "DM Row Headers.txt", "DM File List.txt"})
            QFile::copy(QStringLiteral(DM_BIN_DIR "/") + name, folder_.filePath(name));
        platform::setExecutableFolderOverride(folder_.path());
        platform::setErrorPresenter(&errors_);
        platform::resetTerminateRequest();
    }

    void TearDown() override {
        program::destroyWindows();
        platform::setErrorPresenter(nullptr);
        platform::setExecutableFolderOverride(QString());
        platform::resetTerminateRequest();
    }

    QString iniPath() const { return folder_.filePath(QStringLiteral("du2daminfo.INI")); }
    dm::SettingsStore ini() const { return dm::SettingsStore(iniPath().toStdString()); }
    std::string stored(const char* section, const char* key) const {
        return ini().readString(section, key, "<missing>");
    }

    QTemporaryDir folder_;
    ShellErrorRecorder errors_;
};

} // namespace shelltest
