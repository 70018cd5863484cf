#include "ui/UiWords.h"

namespace kestrane::ui_words {

std::string UnexpectedFailureText(std::string_view what) {
    if (what.empty()) return "Unerwarteter Fehler.";
    return "Unerwarteter Fehler: " + std::string(what);
}

}  // namespace kestrane::ui_words
