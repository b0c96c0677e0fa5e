#pragma once

#include "ui/form.h"
#include "vbrt/errors.h"

#include <functional>
#include <map>
#include <memory>

namespace ui {

class ControlArrayBase {
public:
    explicit ControlArrayBase(Form* owner) : owner_(owner) {
        if (owner_)
            owner_->addArray(this);
    }
    virtual ~ControlArrayBase() {
        if (owner_)
            owner_->removeArray(this);
    }
    // Elements loaded at run time go with the window.
    virtual void unloadRuntimeElements() = 0;

protected:
    Form* owner_;
};

// Like controls sharing one name and one handler that receives the index. Elements made
// by the window's design live as long as the window object; elements loaded at run time
// are removed when the window is unloaded.
template <class T> class ControlArray : public ControlArrayBase {
public:
    ControlArray(Form* owner, const QString& name) : ControlArrayBase(owner), name_(name) {}
    // With the design-time elements first..last, there before any handler is wired to them.
    ControlArray(Form* owner, const QString& name, int first, int last)
        : ControlArray(owner, name) {
        add(first, last);
    }

    // A design-time element.
    T& add(int index) { return create(index, false); }
    void add(int first, int last) {
        for (int i = first; i <= last; ++i)
            add(i);
    }

    bool exists(int index) const { return elements_.count(index) > 0; }
    // The element; ErrSubscript when there is none.
    T& operator()(int index) const {
        auto it = elements_.find(index);
        if (it == elements_.end())
            vbrt::raise(vbrt::ErrSubscript);
        return *it->second.element;
    }
    T& operator[](int index) const { return (*this)(index); }

    // Load at run time: a new element with the properties of the lowest one, hidden.
    // ErrInvalidCall when it exists already.
    T& load(int index) {
        if (exists(index))
            vbrt::raise(vbrt::ErrInvalidCall);
        T& e = create(index, true);
        if (!elements_.empty() && elements_.begin()->first != index)
            e.copyCommon(*elements_.begin()->second.element);
        e.setVisible(false);
        if (owner_ && owner_->isLoaded())
            e.attach(owner_->window());
        return e;
    }
    // Unload a run-time element; ErrInvalidCall for a design-time one.
    void unload(int index) {
        auto it = elements_.find(index);
        if (it == elements_.end() || !it->second.runtime)
            vbrt::raise(vbrt::ErrInvalidCall);
        elements_.erase(it);
    }

    int LBound() const { return elements_.empty() ? 0 : elements_.begin()->first; }
    int UBound() const { return elements_.empty() ? -1 : elements_.rbegin()->first; }
    int Count() const { return int(elements_.size()); }

    // Connects every element, present and future, to the window's handlers.
    void wire(std::function<void(T&, int)> fn) {
        wire_ = std::move(fn);
        for (auto& [i, e] : elements_)
            wire_(*e.element, i);
    }

    template <class F> void forEach(F&& fn) const {
        for (auto& [i, e] : elements_)
            fn(*e.element, i);
    }

    void unloadRuntimeElements() override {
        std::erase_if(elements_, [](const auto& kv) { return kv.second.runtime; });
    }

private:
    struct Entry {
        std::unique_ptr<T> element;
        bool runtime = false;
    };
    T& create(int index, bool runtime) {
        auto e = std::make_unique<T>(owner_, name_, index);
        T& ref = *e;
        elements_[index] = Entry{std::move(e), runtime};
        if (wire_)
            wire_(ref, index);
        return ref;
    }

    QString name_;
    std::map<int, Entry> elements_;
    std::function<void(T&, int)> wire_;
};

} // namespace ui
