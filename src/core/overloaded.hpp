#pragma once
// One callable from several lambdas, for std::visit over a variant.
namespace lorvenna {

template <typename... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <typename... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace lorvenna
