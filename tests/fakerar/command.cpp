#include "command.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <fstream>
#include <iterator>
#include <ostream>
#include <system_error>

#include "rar5.hpp"

namespace fs = std::filesystem;

namespace fakerar {
namespace {

// Switches that change nothing for a stand-in that always stores and always
// overwrites; anything else is refused so a wrong command line shows up.
constexpr std::array<std::string_view, 4> kHarmlessSwitches = {"-y", "-idq", "-inul", "-o+"};

std::optional<std::string> read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return data;
}

bool write_file(const fs::path& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    return static_cast<bool>(out);
}

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// An existing archive of either format, to be updated.
std::optional<std::vector<Member>> read_any_archive(const std::string& bytes, std::string* error) {
    if (kestrane::FormatOf(bytes) == kestrane::ArchiveFormat::Rar5) return read_rar5_archive(bytes, error);
    return kestrane::ReadRarArchive(bytes, error);
}

std::string write_archive(const std::vector<Member>& members, Format format) {
    return format == Format::Rar5 ? write_rar5_archive(members) : kestrane::WriteRarArchive(members);
}

}  // namespace

bool same_name(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return ascii_lower(x) == ascii_lower(y); });
}

void add_or_replace(std::vector<Member>& members, Member added) {
    const auto it =
        std::find_if(members.begin(), members.end(), [&](const Member& m) { return same_name(m.name, added.name); });
    if (it != members.end())
        *it = std::move(added);
    else
        members.push_back(std::move(added));
}

fs::path path_from_utf8(std::string_view utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string path_to_utf8(const fs::path& path) {
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

std::uint32_t file_dos_time(const fs::path& path) {
    using namespace std::chrono;
    std::error_code ec;
    const auto ftime = fs::last_write_time(path, ec);
#if __cpp_lib_chrono >= 201907L
    const auto sys = clock_cast<system_clock>(ftime);
#else
    const auto sys = file_clock::to_sys(ftime);  // libstdc++ before clock_cast
#endif
    const auto when = ec ? system_clock::now() : time_point_cast<system_clock::duration>(sys);
    const auto day = floor<days>(when);
    const year_month_day ymd{day};
    const hh_mm_ss hms{floor<seconds>(when - day)};
    return kestrane::DosDateTime({static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                                  static_cast<int>(static_cast<unsigned>(ymd.day())),
                                  static_cast<int>(hms.hours().count()), static_cast<int>(hms.minutes().count()),
                                  static_cast<int>(hms.seconds().count())});
}

std::optional<AddCommand> parse_command(const std::vector<std::string>& args, std::string& error, Format format) {
    if (args.empty() || args[0] != "a") {
        error = args.empty() ? "no command given" : "unknown command '" + args[0] + "' (only 'a' is supported)";
        return std::nullopt;
    }
    bool store = false, bare_names = false;
    std::size_t i = 1;
    for (; i < args.size() && args[i].starts_with('-'); ++i) {
        const std::string& sw = args[i];
        if (sw == "--") {
            ++i;
            break;
        }
        if (sw == "-m0")
            store = true;
        else if (sw == "-ep")
            bare_names = true;
        else if (std::find(kHarmlessSwitches.begin(), kHarmlessSwitches.end(), sw) == kHarmlessSwitches.end()) {
            error =
                format == Format::Rar5 ? "ERROR: Unknown option: " + sw.substr(1) : "unsupported switch '" + sw + "'";
            return std::nullopt;
        }
    }
    if (!store || !bare_names) {
        error = "this stand-in only stores bare names: -m0 and -ep are required";
        return std::nullopt;
    }
    if (i >= args.size()) {
        error = "no archive name given";
        return std::nullopt;
    }
    AddCommand command{args[i], {args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end()}};
    if (command.files.empty()) {
        error = "no files to add given";
        return std::nullopt;
    }
    return command;
}

int run_add(const AddCommand& command, const fs::path& cwd, std::ostream& messages, Format format, bool half) {
    std::vector<Member> added;
    for (const std::string& name : command.files) {
        const fs::path path = cwd / path_from_utf8(name);
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) {
            messages << "No files to add: cannot find " << name << '\n';
            return kExitNoFiles;
        }
        auto data = read_file(path);
        if (!data) {
            messages << "Cannot open " << name << '\n';
            return kExitOpenError;
        }
        added.push_back(
            {path_to_utf8(path.filename()), std::move(*data), file_dos_time(path), kestrane::kArchiveAttribute});
    }

    fs::path archive = cwd / path_from_utf8(command.archive);
    if (!archive.has_extension()) archive += ".rar";

    std::vector<Member> members;
    std::error_code ec;
    const bool exists = fs::exists(archive, ec);
    if (exists) {
        const auto old = read_file(archive);
        std::string error;
        auto parsed = old ? read_any_archive(*old, &error) : std::nullopt;
        if (!parsed) {
            messages << path_to_utf8(archive) << ": " << (old ? error : "cannot read archive") << '\n';
            return kExitFatal;
        }
        members = std::move(*parsed);
    }
    for (Member& m : added) add_or_replace(members, std::move(m));

    std::string bytes;
    try {
        bytes = write_archive(members, format);
    } catch (const std::length_error& e) {
        messages << e.what() << '\n';
        return kExitCreateError;
    }
    if (half) {  // what a full disk leaves
        write_file(archive, bytes.substr(0, bytes.size() / 2));
        messages << "Write error in the file " << path_to_utf8(archive) << '\n';
        return kExitWriteError;
    }
    // Write beside the archive and rename, so a failure never leaves a
    // half-written archive behind.
    fs::path temp = archive;
    temp += ".fakerar-tmp";
    if (!write_file(temp, bytes)) {
        fs::remove(temp, ec);
        messages << "Cannot create " << path_to_utf8(archive) << '\n';
        return kExitCreateError;
    }
    fs::rename(temp, archive, ec);
    if (ec) {
        fs::remove(temp, ec);
        messages << "Cannot create " << path_to_utf8(archive) << '\n';
        return kExitCreateError;
    }
    messages << (exists ? "Updating archive " : "Creating archive ") << path_to_utf8(archive) << "\nDone\n";
    return kExitOk;
}

}  // namespace fakerar
