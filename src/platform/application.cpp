#include "platform/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QSocketNotifier>
#include <QTranslator>
#include <csignal>
#include <filesystem>
#include <sys/socket.h>
#include <unistd.h>

#include "base/exceptions.h"
#include "platform/dialogs.h"
#include "platform/form.h"
#include "platform/taskbar.h"
#include "raster/display.h"

namespace pellumo {

TApplication* Application = nullptr;

namespace {

// Written by the signal handler, read on the user-interface thread.
int terminationPipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(terminationPipe[1], &byte, 1);
}

}  // namespace

void RunHandler(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        if (Application != nullptr) Application->HandleException(error);
    }
}

TApplication::TApplication(int& argc, char** argv) : qt_(std::make_unique<QApplication>(argc, argv)) {
    Application = this;
    SpeakFrench();
    // The main form's closing ends the loop, not the last window's.
    QApplication::setQuitOnLastWindowClosed(false);
    std::error_code error;
    exeName_ = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) SetDisplayBitsPerPixel(screen->depth());
    CloseOnTerminationSignals();
}

// The program speaks French, whatever the desktop's language: the words Qt draws itself
// (dialogs, standard buttons, dates) come from its French translation when it is installed;
// without it they stay Qt's own, and ours are French anyway.
void TApplication::SpeakFrench() {
    const QLocale french(QLocale::French, QLocale::France);
    QLocale::setDefault(french);
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(french, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get()))
        qtTranslator_ = std::move(translator);
}

// A request to end the program (logging out, kill, Ctrl+C in a terminal) closes the main form
// as its own quit command would, so the show shuts down through its usual steps.
void TApplication::CloseOnTerminationSignals() {
    if (terminationPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, terminationPipe) != 0) return;
    terminationNotifier_ = std::make_unique<QSocketNotifier>(terminationPipe[0], QSocketNotifier::Read);
    QObject::connect(terminationNotifier_.get(), &QSocketNotifier::activated, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(terminationPipe[0], &byte, 1);
        if (mainForm_ != nullptr) RunHandler([this] { mainForm_->Close(); });
        else Terminate();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

TApplication::~TApplication() {
    while (!forms_.empty()) DestroyForm(*forms_.back());
    terminationNotifier_.reset();
    qtTranslator_.reset();
    qt_.reset();
    Application = nullptr;
}

void TApplication::AdoptForm(std::unique_ptr<TForm> form) {
    TForm& adopted = *form;
    forms_.push_back(std::move(form));
    if (mainForm_ == nullptr) mainForm_ = &adopted;
    RunHandler([&] { adopted.DoCreate(); });
}

void TApplication::DestroyForm(TForm& form) {
    RunHandler([&] { form.DoDestroy(); });
    if (mainForm_ == &form) mainForm_ = nullptr;
    std::erase_if(forms_, [&](const std::unique_ptr<TForm>& f) { return f.get() == &form; });
}

void TApplication::Run() {
    if (mainForm_ == nullptr) return;
    mainForm_->Show();
    if (!terminated_) QApplication::exec();
}

void TApplication::HideTaskbarButton() {
    if (mainForm_ != nullptr) KeepOffTaskbar(*mainForm_->Widget());
}

void TApplication::ProcessMessages() { QApplication::processEvents(); }

void TApplication::Terminate() {
    terminated_ = true;
    QApplication::quit();
}

void TApplication::HandleException(const std::exception& error) {
    const auto* own = dynamic_cast<const Exception*>(&error);
    ShowMessageBox(title_, own != nullptr ? own->Message() : std::string(error.what()), mtError);
}

}  // namespace pellumo
