// What the market panels ask of the order-entry panel. The order-entry panel implements it;
// the frame hands it out (nullptr while there is none).
#pragma once

#include <string>

namespace ft::ui {

class OrderEntryTarget {
public:
    virtual ~OrderEntryTarget() = default;
    // Texts are GBK.
    virtual void SelectContract(const std::string& code, const std::string& name, int force) = 0;
    virtual void ChooseBuy() = 0;
    virtual void ChooseOpen() = 0;
    // Whether the price box holds text (the double-click waits for it before submitting).
    virtual bool HasPrice() const = 0;
    virtual void SubmitOrder() = 0;
};

}  // namespace ft::ui
