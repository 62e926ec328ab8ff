// Word lists the benchmark's row generator draws from: common given names and surnames,
// streets, towns and product words, so that keys are spread and repeated as in real data.
#pragma once

#include <span>
#include <string_view>

namespace bench {

std::span<const std::string_view> givenNames();
std::span<const std::string_view> surnames();
std::span<const std::string_view> streetNames();
std::span<const std::string_view> streetKinds();
// "Town, ST" pairs.
std::span<const std::string_view> towns();
std::span<const std::string_view> productAdjectives();
std::span<const std::string_view> productNouns();
std::span<const std::string_view> remarks();

}  // namespace bench
