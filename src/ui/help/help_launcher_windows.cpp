// On Windows the system's own compiled-help viewer shows the help file: the
// library named by the HTML Help control's registration is loaded at run time
// and driven through its one entry point.

#include <windows.h>

#include <QDir>
#include <QFileInfo>

#include "ui/help/help_launcher.h"

namespace valdro {

namespace {

constexpr UINT kDisplayTopic = 0x0000;
constexpr UINT kCloseAll = 0x0012;
constexpr UINT kInitialize = 0x001C;
constexpr UINT kUninitialize = 0x001D;

using HtmlHelpFn = HWND(WINAPI*)(HWND owner, LPCSTR file, UINT command, DWORD_PTR data);

class WindowsHelpLauncher final : public HelpLauncher {
  public:
    ~WindowsHelpLauncher() override { Uninitialize(); }

    bool Setup(const QString& helpFilePath) override {
        // The full path, so that the display request does not depend on the
        // current directory; the viewer takes the ANSI code page.
        Uninitialize();
        path_ = QDir::toNativeSeparators(QFileInfo(helpFilePath).absoluteFilePath()).toLocal8Bit();
        const DWORD attributes = GetFileAttributesA(path_.constData());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return false;
        if (!LoadHelpLibrary())
            return false;
        entry_(nullptr, nullptr, kInitialize, reinterpret_cast<DWORD_PTR>(&cookie_));
        return true;
    }

    void Display() override {
        if (entry_ != nullptr)
            entry_(nullptr, path_.constData(), kDisplayTopic, 0);
    }

    void CloseAll() override {
        if (entry_ != nullptr)
            entry_(nullptr, nullptr, kCloseAll, 0);
    }

    void Uninitialize() override {
        if (library_ == nullptr)
            return;
        entry_(nullptr, nullptr, kUninitialize, static_cast<DWORD_PTR>(cookie_));
        FreeLibrary(library_);
        library_ = nullptr;
        entry_ = nullptr;
    }

  private:
    bool LoadHelpLibrary() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT,
                          "CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32", 0,
                          KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
            return false;
        }
        char name[256] = {};
        DWORD size = 255;
        if (RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<LPBYTE>(name),
                             &size) != ERROR_SUCCESS) {
            RegCloseKey(key);
            return false;
        }
        library_ = LoadLibraryA(name);
        if (library_ == nullptr)
            library_ = LoadLibraryA("hhctrl.ocx");
        if (library_ == nullptr) {
            RegCloseKey(key);
            return false;
        }
        entry_ = reinterpret_cast<HtmlHelpFn>(
            reinterpret_cast<void*>(GetProcAddress(library_, "HtmlHelpA")));
        if (entry_ == nullptr) {
            FreeLibrary(library_);
            library_ = nullptr;
            RegCloseKey(key);
            return false;
        }
        RegCloseKey(key);
        return true;
    }

    QByteArray path_;
    HMODULE library_ = nullptr;
    HtmlHelpFn entry_ = nullptr;
    DWORD cookie_ = 0;
};

}  // namespace

std::unique_ptr<HelpLauncher> CreateHelpLauncher(QWidget*) {
    return std::make_unique<WindowsHelpLauncher>();
}

}  // namespace valdro
