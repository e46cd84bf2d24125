#pragma once
// TZKBaseDevice: the base of every device of the link library, with its ini
// section and the hooks through which the link reaches the user interface.
#include "link/IniAccess.h"

#include <functional>
#include <string>

namespace tc {

class TZKBaseDevice {
public:
    TZKBaseDevice() = default;
    virtual ~TZKBaseDevice() = default;
    TZKBaseDevice(const TZKBaseDevice&) = delete;
    TZKBaseDevice& operator=(const TZKBaseDevice&) = delete;

    virtual void LoadSettings(TIniAccess& /*ini*/) {}
    virtual void SaveSettings(TIniAccess& /*ini*/) {}

    std::string SectionName;
    std::string Caption;
    std::string LastError; // the last error box text, also when no box could be shown

    // The window installs these; a headless user leaves them empty.
    std::function<void(const std::string&)> ShowError;   // modal error box
    std::function<bool(const std::string&)> AskYesNo;    // Yes = true; none installed counts as No
    std::function<void()> ProcessMessages;               // keeps the windows alive inside waits

protected:
    void ReportError(const std::string& text)
    {
        LastError = text;
        if (ShowError)
            ShowError(text);
    }
    bool Ask(const std::string& text) { return AskYesNo ? AskYesNo(text) : false; }
    void Idle()
    {
        if (ProcessMessages)
            ProcessMessages();
    }
};

} // namespace tc
