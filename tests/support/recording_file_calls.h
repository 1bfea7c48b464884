#pragma once

#include "core/platform/file_replacement.h"

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

// The system's file calls, done for real and written down: every call that changes something, as
// "<call> <file name>", so that a test sees their order. `beforeCall` runs first and may raise.
class RecordingFileCalls : public dm::platform::FileCalls {
public:
    std::vector<std::string> log;
    std::function<void(const std::string& entry)> beforeCall = [](const std::string&) {};

    dm::platform::EntryStatus status(const std::string& path) const override {
        return system().status(path);
    }
    std::string linkTarget(const std::string& path) const override {
        return system().linkTarget(path);
    }
    bool mayWrite(const std::string& path) const override { return system().mayWrite(path); }
    std::vector<std::string> entryNames(const std::string& folder) const override {
        return system().entryNames(folder);
    }
    std::optional<Handle> createTemporary(const std::string& folder,
                                          const std::string& path) override {
        note("create", path);
        const std::optional<Handle> made = system().createTemporary(folder, path);
        if (made)
            names_[*made] = path;
        return made;
    }
    bool nameTemporary(Handle file, const std::string& path) override {
        note("name", path);
        names_[file] = path;
        return system().nameTemporary(file, path);
    }
    Handle openForWriting(const std::string& path) override {
        note("open", path);
        const Handle file = system().openForWriting(path);
        names_[file] = path;
        return file;
    }
    void write(Handle file, std::span<const std::byte> bytes) override {
        note("write", names_[file]);
        system().write(file, bytes);
    }
    void resize(Handle file, std::uint64_t size) override {
        note("resize", names_[file]);
        system().resize(file, size);
    }
    void keepAttributesOf(Handle file, const std::string& old) override {
        note("keep attributes", names_[file]);
        system().keepAttributesOf(file, old);
    }
    void sync(Handle file) override {
        note("sync", names_[file]);
        system().sync(file);
    }
    void close(Handle file) override {
        note("close", names_[file]);
        system().close(file);
    }
    void closeQuietly(Handle file) noexcept override {
        log.push_back("close quietly " + nameOf(names_[file]));
        system().closeQuietly(file);
    }
    void rename(const std::string& from, const std::string& to) override {
        note("rename", from + " -> " + nameOf(to));
        system().rename(from, to);
    }
    void syncFolder(const std::string& folder) override {
        note("sync folder", folder);
        system().syncFolder(folder);
    }
    void remove(const std::string& path) noexcept override {
        log.push_back("remove " + nameOf(path));
        system().remove(path);
    }

    // The last part of a path; every temporary reads as "TEMP".
    static std::string nameOf(const std::string& path) {
        const std::string name = std::filesystem::path(path).filename().string();
        const std::size_t arrow = path.find(" -> ");
        if (arrow != std::string::npos)
            return nameOf(path.substr(0, arrow)) + path.substr(arrow);
        return dm::platform::isReplacementTemporaryName(name) ? "TEMP" : name;
    }

private:
    static dm::platform::FileCalls& system() { return dm::platform::systemFileCalls(); }

    void note(const std::string& call, const std::string& path) {
        const std::string entry = call + " " + nameOf(path);
        beforeCall(entry);
        log.push_back(entry);
    }

    std::map<Handle, std::string> names_;
};

} // namespace testsupport
