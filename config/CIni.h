#pragma once

#include <functional>
#include <optional>
#include <string>

// Typed access to one INI file. Nothing is cached: every read goes to the file and every
// write rewrites it, so a value written is seen by the next read, also by another program.
// Texts are bytes in the Japanese ANSI code page (cp932), as the file holds them.
//
// Section and key are passed to every operation; when either is null a read gives its
// default and a write fails without touching the file.
class CIni {
public:
    // Width of the text buffer that numbers and flags pass through (64 characters).
    static constexpr int NumberCapacity = 64;

    CIni() = default;
    explicit CIni(const char* path);
    virtual ~CIni();

    // With null the held path becomes empty (every read then gives its default).
    void SetFilePath(const char* path);
    const std::string& FilePath() const { return path_; }
    // A folder that a write makes first when the file is missing (the user's settings folder
    // of an installed program); none by default, and a missing folder fails the write.
    void SetFolderToMake(const std::string& dir) { folderToMake_ = dir; }

    // The whole value, however long; the default (or the empty text) when section or key is
    // missing. A key present with an empty value gives the empty text.
    std::string ReadWholeText(const char* section, const char* key, const char* def) const;
    // Copies at most `capacity` bytes of the value into `dest` without splitting a double-byte
    // character; the rest of the capacity is filled with NUL. No terminator is written when
    // the value fills the capacity, so pass the buffer size minus one. Returns the value's
    // length, or the capacity when the value is as long or longer.
    int ReadText(const char* section, const char* key, char* dest, int capacity,
                 const char* def) const;
    // A null value writes an empty one; it does not remove the key.
    bool WriteText(const char* section, const char* key, const char* value) const;

    // Base 2, 8 or 16 as given, anything else decimal. An empty or missing value gives the
    // default; text without digits gives 0.
    int ReadNumber(const char* section, const char* key, int def, int base) const;
    bool WriteNumber(const char* section, const char* key, int value, int base) const;

    // "true" and "yes" in any case are on; otherwise any non-zero leading number is on.
    int ReadFlag(const char* section, const char* key, int def) const;
    bool WriteFlag(const char* section, const char* key, int flag) const;

    // Called with the finished temporary file just before it replaces the INI file. A hook
    // that returns false stops the write there (the old file stays, the write fails); tests
    // use it to stand for a program that dies at that moment. An empty function removes it.
    static void setBeforeReplaceHookForTest(std::function<bool(const std::string& tempPath)> h);

private:
    std::string path_;
    std::string folderToMake_;
};

// The INI rules as plain functions over the file's bytes, so that they can be checked
// without a file and shared by reads and writes.
namespace ini {

// The value of the first matching key in the first matching section, quotes dropped; nothing
// when the section or the key is missing.
std::optional<std::string> findValue(const std::string& content, const std::string& section,
                                     const std::string& key);
// The content with the value set: replaced in place, appended at the end of the section,
// or a new section at the end of the file. Every other byte stays as it was.
std::string setValue(const std::string& content, const std::string& section, const std::string& key,
                     const std::string& value);
// Compares names ignoring the case of single-byte letters; double-byte characters must match
// exactly (their trail bytes can look like letters).
bool namesEqual(const std::string& a, const std::string& b);
// Copies at most n bytes and never leaves the lead byte of a character as the last one.
std::string cutCp932(const std::string& text, std::size_t n);

} // namespace ini
