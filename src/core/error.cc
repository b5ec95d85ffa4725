#include "core/error.h"

#include <exception>
#include <new>

#include "core/number_format.h"

namespace pharmex {

namespace {

void append_arg(std::string& out, char spec, const MessageArg& arg) {
  if (const auto* text = std::get_if<std::string_view>(&arg)) {
    out.append(*text);
  } else if (const auto* whole = std::get_if<int64_t>(&arg)) {
    out.append(spec == 'g' ? format_general(static_cast<double>(*whole), '.')
                           : std::to_string(*whole));
  } else {
    double value = std::get<double>(arg);
    out.append(format_general(value, '.'));
  }
}

}  // namespace

std::string format_message(std::string_view pattern, std::initializer_list<MessageArg> args) {
  std::string out;
  out.reserve(pattern.size() + 32);
  auto next = args.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c != '%' || i + 1 == pattern.size()) {
      out.push_back(c);
      continue;
    }
    char spec = pattern[i + 1];
    if (spec == '%') {
      out.push_back('%');
      ++i;
    } else if ((spec == 's' || spec == 'd' || spec == 'g') && next != args.end()) {
      append_arg(out, spec, *next++);
      ++i;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string current_exception_message() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return "Out of memory";
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown failure";
  }
}

}  // namespace pharmex
