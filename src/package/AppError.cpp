#include "package/AppError.h"

namespace kestrane {

AppError::AppError(std::string context, std::uint32_t number, std::string description)
    : std::runtime_error(context),
      context_(std::move(context)),
      number_(number),
      description_(std::move(description)) {}

std::string AppError::Report() const {
    std::string text = context_;
    if (!text.empty()) text += "\n\n";
    text += "Fehler " + std::to_string(number_);
    if (!description_.empty()) text += ": " + description_;
    return text;
}

}  // namespace kestrane
