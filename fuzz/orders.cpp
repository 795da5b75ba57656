// The orders answer (weituodetail) into the orders table, the two order lists built from it,
// and the answer to a cancellation.
#include "fuzz_support.h"
#include "net/table_loaders.h"
#include "trading/order_lists.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    const std::string_view input = fuzz::Text(data, size);
    const auto table = ParseOrders(input);
    std::vector<const OrderRecord*> shown;
    WorkingOrders(*table, shown);
    for (OrderFilter filter :
         {OrderFilter::All, OrderFilter::Working, OrderFilter::Filled, OrderFilter::Cancelled}) {
        FilteredOrders(*table, filter, shown);
    }
    std::vector<CellWrite> writes;
    const WorkingOrderRow emptyWorking{};
    const AllOrderRow emptyAll{};
    for (std::size_t i = 0; i < table->Count() && i < 8; ++i) {
        const OrderRecord& order = table->rows[i];
        FUZZ_CHECK(fuzz::Terminated(order.orderNo) && fuzz::Terminated(order.avgFillPrice));
        WorkingOrderRowWrites(emptyWorking, order, writes);
        AllOrderRowWrites(emptyAll, order, writes);
        CancelBody(FieldText(order.orderNo));
        CancellableStatus(FieldText(order.status));
    }
    CancelRefusal(input);
    return 0;
}
