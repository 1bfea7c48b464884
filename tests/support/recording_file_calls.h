#pragma once

#include "core/platform/file_replacement.h"

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

// The system's file calls, done for real and written down as "<call> <file name>" (every
// temporary as "TEMP"), so that a test sees their order. `beforeCall` runs first and may raise.
class RecordingFileCalls : public dm::platform::FileCalls {
public:
    using Bytes = std::span<const std::byte>;
    using Path = std::string;
    std::vector<std::string> log;
    std::function<void(const std::string& entry)> beforeCall = [](const std::string&) {};

    dm::platform::EntryStatus status(const Path& path) const override { return sys().status(path); }
    Path linkTarget(const Path& path) const override { return sys().linkTarget(path); }
    bool mayWrite(const Path& path) const override { return sys().mayWrite(path); }
    std::vector<Path> entryNames(const Path& folder) const override {
        return sys().entryNames(folder);
    }
    std::optional<Handle> createTemporary(const Path& folder, const Path& path) override {
        const std::optional<Handle> made = sys().createTemporary(folder, noted("create", path));
        if (made)
            names_[*made] = path;
        return made;
    }
    bool nameTemporary(Handle file, const Path& path) override {
        return sys().nameTemporary(file, names_[file] = noted("name", path));
    }
    Handle openForWriting(const Path& path) override {
        const Handle file = sys().openForWriting(noted("open", path));
        names_[file] = path;
        return file;
    }
    void write(Handle file, Bytes bytes) override { sys().write(noted("write", file), bytes); }
    void resize(Handle file, std::uint64_t size) override {
        sys().resize(noted("resize", file), size);
    }
    void keepAttributesOf(Handle file, const Path& old) override {
        sys().keepAttributesOf(noted("keep attributes", file), old);
    }
    void sync(Handle file) override { sys().sync(noted("sync", file)); }
    void close(Handle file) override { sys().close(noted("close", file)); }
    void closeQuietly(Handle file) noexcept override {
        log.push_back("close quietly " + nameOf(names_[file]));
        sys().closeQuietly(file);
    }
    void rename(const Path& from, const Path& to) override {
        note("rename " + nameOf(from) + " -> " + nameOf(to));
        sys().rename(from, to);
    }
    void syncFolder(const Path& folder) override { sys().syncFolder(noted("sync folder", folder)); }
    void remove(const Path& path) noexcept override {
        log.push_back("remove " + nameOf(path));
        sys().remove(path);
    }

private:
    static dm::platform::FileCalls& sys() { return dm::platform::systemFileCalls(); }
    static std::string nameOf(const Path& path) {
        const std::string name = std::filesystem::path(path).filename().string();
        return dm::platform::isReplacementTemporaryName(name) ? "TEMP" : name;
    }
    void note(const std::string& entry) {
        beforeCall(entry);
        log.push_back(entry);
    }
    const Path& noted(const std::string& call, const Path& path) {
        note(call + " " + nameOf(path));
        return path;
    }
    Handle noted(const std::string& call, Handle file) {
        note(call + " " + nameOf(names_[file]));
        return file;
    }

    std::map<Handle, Path> names_;
};

} // namespace testsupport
