// The texts the computations show, and the message an error report gives for an error number.
#pragma once

#include <string_view>

#include "core/number_values.hpp"

namespace tavix {

// The carriage return that separates the rows of a factor column.
inline constexpr char kRowSeparator = '\r';

// The texts the computations show.
namespace texts {
inline constexpr std::string_view kOverflow = "Valor acima da memória.";
inline constexpr std::string_view kOtherError = "Ocorreu um erro.";
inline constexpr std::string_view kNoInterval = "Intervalo inexistente. Verifique.";
inline constexpr std::string_view kNoPrimes = "Não há números primos neste intervalo";
inline constexpr std::string_view kOnlyTwo = "Total de 1 número primo: 2";
inline constexpr std::string_view kTwoAndThree = "Total de 2 números primos: 2, 3";
inline constexpr std::string_view kOnePrimePrefix = "Total de 1 número primo: ";
inline constexpr std::string_view kCountPrefix = "Total de ";
inline constexpr std::string_view kCountSuffix = " números primos: ";
inline constexpr std::string_view kIsPrime = " é um número primo";
inline constexpr std::string_view kIsNotPrime = " não é um número primo";
}  // namespace texts

// The message an error report shows for an error number.
inline std::string_view errorMessageFor(int errorNumber) {
    return errorNumber == kOverflowErrorNumber ? texts::kOverflow : texts::kOtherError;
}

}  // namespace tavix
