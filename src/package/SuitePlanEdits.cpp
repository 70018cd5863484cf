// What only the command-line tool does to a plan before it runs: refusals,
// notes and renumbered packages. In a file of its own, so that Kestrane.exe,
// which takes the core from a library and plans its folders as they are,
// carries none of it.
#include "package/FolderConversion.h"

#include <utility>

namespace kestrane {

SuitePlan::Rare& SuitePlan::OwnRare(std::size_t suite) {
    std::uint32_t& rare = suites_[suite].rare;
    if (rare == 0) {
        rare_.emplace_back();
        rare = static_cast<std::uint32_t>(rare_.size());
    }
    return rare_[rare - 1];
}

void SuitePlan::SetProblem(std::size_t suite, std::string problem, SuiteStatus status) {
    Rare& rare = OwnRare(suite);
    rare.problem = std::move(problem);
    rare.problemStatus = status;
}

void SuitePlan::Renumber(std::size_t suite, unsigned number) { OwnRare(suite).number = number; }

void SuitePlan::SetNote(std::size_t suite, std::string note) { OwnRare(suite).note = std::move(note); }

void SuitePlan::KeepWhere(const std::function<bool(std::size_t)>& keep) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < suites_.size(); ++i) {
        suites_[kept] = suites_[i];
        if (keep(kept)) ++kept;
    }
    suites_.resize(kept);
}

}  // namespace kestrane
