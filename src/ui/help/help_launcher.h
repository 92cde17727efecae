#pragma once
#include <QString>
#include <memory>
class QWidget;
namespace valdro {
class HelpLauncher {
  public:
    virtual ~HelpLauncher() = default;
    virtual bool Setup(const QString& helpFilePath) = 0;  // availability probe + initialise; false
                                                          // = no help (button hidden)
    virtual void Display() = 0;                           // open or raise help at the default topic
    virtual void CloseAll() = 0;      // close every help window this program opened
    virtual void Uninitialize() = 0;  // release the viewer
};
std::unique_ptr<HelpLauncher> CreateHelpLauncher(QWidget* owner);
}  // namespace valdro
