#pragma once
// The few ini-file operations the device link needs, so the core can keep
// its port settings in the application's ini file without knowing its class.
#include <string>

namespace tc {

class IniAccess {
public:
    virtual ~IniAccess() = default;
    virtual int ReadInteger(const std::string& section, const std::string& key, int fallback) = 0;
    virtual void WriteInteger(const std::string& section, const std::string& key, int value) = 0;
    virtual std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) = 0;
    virtual void WriteString(const std::string& section, const std::string& key, const std::string& value) = 0;
};

} // namespace tc
