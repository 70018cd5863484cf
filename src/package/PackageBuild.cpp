#include "package/PackageBuild.h"

#include "descriptor/MidletDescriptor.h"

namespace kestrane {

namespace {

constexpr std::int32_t kSettleMilliseconds = 1000;

// Keeps the window busy (waiting label shown, everything disabled) for its
// lifetime, and returns it to idle however the build ends.
class BusyWindow {
public:
    explicit BusyWindow(BuildWindow& window) : window_(window) {
        window_.ShowWaitLabel(true);
        window_.SetControlsEnabled(false);
    }
    ~BusyWindow() {
        if (!released_) Release();
    }
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

    void HideLabel() { window_.ShowWaitLabel(false); }
    void Release() {
        released_ = true;
        window_.ShowWaitLabel(false);
        window_.SetControlsEnabled(true);
    }

private:
    BuildWindow& window_;
    bool released_ = false;
};

struct Members {
    std::string ini, jah, utf, obj;
};

Members StageMembers(BuildWindow& window, PackageFiles& files) {
    const std::string app = window.AppPath();
    Members members{app + "stjava.ini", app + "java.jah", app + "java.utf", {}};
    const std::string obj = window.FieldText(Field::OBJ);
    if (!TrimSpaces(obj).empty()) members.obj = app + "java.obj";

    files.WriteAnsiText(members.ini, window.IniText());
    files.CopyOver(window.FieldText(Field::JAR), members.jah);
    files.CopyOver(window.FieldText(Field::JAD), members.utf);
    if (!members.obj.empty()) files.CopyOver(obj, members.obj);
    return members;
}

// Runs the batch file between the two settling waits and waits on for the
// archiver, up to `limit` from its start. The exit code, if it ended.
std::optional<std::uint32_t> RunArchiver(BuildWindow& window, const std::string& batchPath,
                                         std::chrono::milliseconds limit) {
    Delay(kSettleMilliseconds, window);
    const auto started = std::chrono::steady_clock::now();
    std::unique_ptr<ArchiverRun> run = window.RunHidden(batchPath, ParentFolder(batchPath));
    Delay(kSettleMilliseconds, window);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    WaitUntil(
        limit > waited ? limit - waited : std::chrono::milliseconds(0), window,
        [&run] { return run->ExitCode().has_value(); },
        [&run](std::chrono::milliseconds remaining) { run->WaitForEndOrEvent(remaining); });
    return run->ExitCode();
}

}  // namespace

bool BuildSucceeded(std::optional<std::uint32_t> exitCode, const FileStamp& before, const FileStamp& after) {
    return exitCode == 0u && after.exists && after != before;
}

void BuildPackage(BuildWindow& window, PackageFiles& files, std::chrono::milliseconds archiverLimit) {
    if (TrimSpaces(window.FieldText(Field::JAR)).empty() || TrimSpaces(window.FieldText(Field::JAD)).empty()) {
        window.ShowMessage(kNoJarOrJadMessage, MessageIcon::Critical);
        return;
    }
    const std::string stjField = window.FieldText(Field::STJ);
    if (TrimSpaces(stjField).empty()) {
        window.ShowMessage(kNoStjMessage, MessageIcon::Critical);
        return;
    }
    if (!files.AnsiCanRepresent(window.IniText())) {
        window.ShowMessage(kIniNotAnsiMessage, MessageIcon::Critical);
        return;
    }

    const Members members = StageMembers(window, files);
    // A relative STJ path means the program's current folder, as it does for
    // the copies; the archiver runs elsewhere, in the folder of rar.exe, so it
    // gets the path whole, and the result is looked for where it was asked.
    const std::string stj = files.FullPath(stjField);
    const std::optional<std::string> batchPath = WriteBatchFile(
        window.FieldText(Field::RAR), stj, members.jah, members.utf, members.ini, members.obj, files, window);
    if (!batchPath) return;

    const FileStamp before = files.Stamp(stj);
    std::optional<std::uint32_t> exitCode;
    {
        BusyWindow busy(window);
        try {
            exitCode = RunArchiver(window, *batchPath, archiverLimit);
        } catch (...) {
            try {
                files.Delete(*batchPath);
            } catch (...) {
                // The first failure is the one the user needs to hear about.
            }
            throw;
        }
        files.Delete(*batchPath);
        busy.HideLabel();
        if (BuildSucceeded(exitCode, before, files.Stamp(stj)))
            window.ShowMessage(kBuiltMessage, MessageIcon::Information);
        else
            window.ShowMessage(kFailedMessage, MessageIcon::Critical);
        busy.Release();
    }
    window.ClearStj();
}

}  // namespace kestrane
