// Every problem a scan found, whatever its kind, in one list: the registry
// values first, then the shortcuts, then the menu entries, each kind in the
// order the scan found it. A problem is one value of the `Problem` sum type;
// code that treats every kind alike visits it, and code that needs one kind
// asks the list for the run of that kind (Of<ShortcutProblem>()), which reads
// like a vector of that kind.
#pragma once

#include <array>
#include <cstddef>
#include <iterator>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "session/problems.h"

namespace vostrel {

// One problem of any kind. The order of the alternatives is the order of the
// kinds in the list and in ProblemKind.
using Problem = std::variant<RegistryProblem, ShortcutProblem, MenuEntryProblem>;

enum class ProblemKind { Registry = 0, Shortcut = 1, MenuEntry = 2 };
inline constexpr std::size_t kProblemKinds = std::variant_size_v<Problem>;

// The kind a problem type stands for.
template <typename T>
constexpr ProblemKind KindOfType() {
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_same_v<U, RegistryProblem>)
        return ProblemKind::Registry;
    else if constexpr (std::is_same_v<U, ShortcutProblem>)
        return ProblemKind::Shortcut;
    else {
        static_assert(std::is_same_v<U, MenuEntryProblem>, "not a problem type");
        return ProblemKind::MenuEntry;
    }
}

inline ProblemKind KindOf(const Problem& problem) {
    return static_cast<ProblemKind>(problem.index());
}

// Whether the user ticked it for repair, whatever its kind.
inline bool IsSelected(const Problem& problem) {
    return std::visit([](const auto& p) { return p.selected; }, problem);
}
inline void SetSelected(Problem& problem, bool selected) {
    std::visit([selected](auto& p) { p.selected = selected; }, problem);
}

class ProblemList {
public:
    // The problems of one kind, as a random-access range of that type.
    template <typename T>
    class KindRange {
        using Items = std::conditional_t<std::is_const_v<T>, const std::vector<Problem>,
                                         std::vector<Problem>>;
        using Base = decltype(std::declval<Items&>().begin());

    public:
        // The names below are the ones the standard's iterators use.
        // NOLINTBEGIN(readability-identifier-naming)
        class iterator {
        public:
            using iterator_category = std::random_access_iterator_tag;
            using value_type = std::remove_cv_t<T>;
            using difference_type = std::ptrdiff_t;
            using pointer = T*;
            using reference = T&;

            iterator() = default;
            explicit iterator(Base at) : at_(at) {}
            T& operator*() const { return *std::get_if<value_type>(&*at_); }
            T* operator->() const { return std::get_if<value_type>(&*at_); }
            T& operator[](difference_type n) const { return *(*this + n); }
            iterator& operator++() { return ++at_, *this; }
            iterator operator++(int) { return iterator(at_++); }
            iterator& operator--() { return --at_, *this; }
            iterator operator--(int) { return iterator(at_--); }
            iterator& operator+=(difference_type n) { return at_ += n, *this; }
            iterator& operator-=(difference_type n) { return at_ -= n, *this; }
            friend iterator operator+(iterator i, difference_type n) { return i += n; }
            friend iterator operator+(difference_type n, iterator i) { return i += n; }
            friend iterator operator-(iterator i, difference_type n) { return i -= n; }
            friend difference_type operator-(const iterator& a, const iterator& b) {
                return a.at_ - b.at_;
            }
            friend bool operator==(const iterator& a, const iterator& b) { return a.at_ == b.at_; }
            friend auto operator<=>(const iterator& a, const iterator& b) {
                return a.at_ <=> b.at_;
            }

        private:
            Base at_{};
        };
        // NOLINTEND(readability-identifier-naming)

        KindRange(Items& items, std::size_t first, std::size_t last)
            : items_(&items), first_(first), last_(last) {}

        iterator begin() const { return iterator(items_->begin() + Offset(first_)); }
        iterator end() const { return iterator(items_->begin() + Offset(last_)); }
        std::size_t size() const { return last_ - first_; }
        bool empty() const { return first_ == last_; }
        T& operator[](std::size_t i) const {
            return *std::get_if<std::remove_cv_t<T>>(&(*items_)[first_ + i]);
        }
        T& at(std::size_t i) const {
            if (i >= size()) throw std::out_of_range("no such problem");
            return (*this)[i];
        }
        T& front() const { return (*this)[0]; }
        T& back() const { return (*this)[size() - 1]; }
        // A copy of the problems, as a vector of their type.
        std::vector<std::remove_cv_t<T>> ToVector() const { return {begin(), end()}; }
        // The position in the whole list of this range's problem `i`.
        std::size_t PositionOf(std::size_t i) const { return first_ + i; }

    private:
        static std::ptrdiff_t Offset(std::size_t n) { return static_cast<std::ptrdiff_t>(n); }
        Items* items_;
        std::size_t first_;
        std::size_t last_;
    };

    // Adds a problem after the others of its kind.
    void Add(Problem problem) {
        const auto kind = problem.index();
        items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(ends_[kind]),
                      std::move(problem));
        for (std::size_t k = kind; k < kProblemKinds; ++k) ++ends_[k];
    }
    // Adds a problem of a kind named, as AddOf<ShortcutProblem>({...}).
    template <typename T>
    void AddOf(T problem) {
        Add(Problem(std::in_place_type<T>, std::move(problem)));
    }
    void clear() {
        items_.clear();
        ends_.fill(0);
    }

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    Problem& operator[](std::size_t i) { return items_[i]; }
    const Problem& operator[](std::size_t i) const { return items_[i]; }
    Problem& at(std::size_t i) { return items_.at(i); }
    const Problem& at(std::size_t i) const { return items_.at(i); }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    template <typename T>
    KindRange<T> Of() {
        const auto k = static_cast<std::size_t>(KindOfType<T>());
        return KindRange<T>(items_, k == 0 ? 0 : ends_[k - 1], ends_[k]);
    }
    template <typename T>
    KindRange<const T> Of() const {
        const auto k = static_cast<std::size_t>(KindOfType<T>());
        return KindRange<const T>(items_, k == 0 ? 0 : ends_[k - 1], ends_[k]);
    }

    // Takes out every problem `drop` holds true for (it is handed the
    // Problem), keeping the order of the others.
    template <typename Drop>
    std::size_t RemoveIf(Drop&& drop) {
        const std::size_t removed = std::erase_if(items_, std::forward<Drop>(drop));
        ends_.fill(0);
        for (const Problem& problem : items_)
            for (std::size_t k = problem.index(); k < kProblemKinds; ++k) ++ends_[k];
        return removed;
    }
    // The same for the problems of one kind, handed typed.
    template <typename T, typename Drop>
    std::size_t RemoveIfOf(Drop&& drop) {
        return RemoveIf([&drop](const Problem& problem) {
            const T* typed = std::get_if<T>(&problem);
            return typed != nullptr && drop(*typed);
        });
    }
    // Takes out every problem of one kind.
    template <typename T>
    std::size_t ClearOf() {
        return RemoveIfOf<T>([](const T&) { return true; });
    }
    // Takes out the ticked problems of one kind (those a repair dealt with).
    template <typename T>
    std::size_t RemoveSelectedOf() {
        return RemoveIfOf<T>([](const T& problem) { return problem.selected; });
    }

private:
    std::vector<Problem> items_;
    // ends_[k]: the position after the last problem of kind k.
    std::array<std::size_t, kProblemKinds> ends_{};
};

}  // namespace vostrel
