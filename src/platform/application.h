#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/object.h"

class QApplication;
class QSocketNotifier;
class QTranslator;

namespace pellumo {

class TForm;

// Runs a handler with the application's default error handling: an exception that leaves it
// is shown in a message box and the program goes on. Every event the platform delivers goes
// through here, so no exception crosses Qt's event loop.
void RunHandler(const std::function<void()>& handler);

// The program as the windowing system sees it: title, forms, message loop. One per process,
// reachable as `Application`.
class TApplication : public TObject {
public:
    // Creates the Qt application (the platform is chosen by Qt, for instance offscreen).
    TApplication(int& argc, char** argv);
    // Destroys the remaining forms (each fires OnDestroy first), then the Qt application.
    ~TApplication() override;
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }

    // Creates a form and runs its OnCreate under the default error handling, so a failing
    // handler leaves the form created. The first form created is the main form.
    template <typename Form>
    Form& CreateForm() {
        auto form = std::make_unique<Form>();
        Form& created = *form;
        AdoptForm(std::move(form));
        return created;
    }
    TForm* MainForm() const { return mainForm_; }

    // Leaves the program out of the taskbar, where the window system allows it (X11): the
    // main form, not shown yet, is marked so when it is mapped.
    void HideTaskbarButton();

    // Shows the main form and runs the message loop until it closes.
    void Run();
    // Handles the messages waiting now, then returns.
    void ProcessMessages();
    // Ends the message loop.
    void Terminate();
    bool Terminated() const { return terminated_; }

    // Shows the exception's text in a message box titled with the application title.
    void HandleException(const std::exception& error);

    // The full path of the running program; tests and tools may point it elsewhere.
    const std::string& ExeName() const { return exeName_; }
    void SetExeName(std::string exeName) { exeName_ = std::move(exeName); }

    // Destroys a form now (firing its OnDestroy); it must be one this application created.
    void DestroyForm(TForm& form);

private:
    void AdoptForm(std::unique_ptr<TForm> form);
    void CloseOnTerminationSignals();
    void SpeakFrench();

    std::unique_ptr<QApplication> qt_;
    std::unique_ptr<QTranslator> qtTranslator_;
    std::unique_ptr<QSocketNotifier> terminationNotifier_;
    std::string title_;
    std::string exeName_;
    std::vector<std::unique_ptr<TForm>> forms_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};

extern TApplication* Application;

}  // namespace pellumo
