#include "package/AppError.h"

#include "descriptor/Text.h"
#include "package/Words.h"

namespace kestrane {

AppError::AppError(std::string context, std::uint32_t number, std::string description)
    : std::runtime_error(context),
      context_(std::move(context)),
      number_(number),
      description_(std::move(description)) {}

std::string AppError::Report() const {
    return Concatenated({context_, context_.empty() ? "" : "\n\n", ErrorNumberText(number_, description_)});
}

}  // namespace kestrane
