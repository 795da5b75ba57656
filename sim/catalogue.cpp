#include "model.h"

namespace fsim {

std::vector<Product> DemoCatalogue() {
    // variety, code, name, exchange, multiplier, tick, margin rate, commission (per lot, or below
    // 0.01 a rate of the turnover), previous settlement.
    struct Row {
        const char *variety, *code, *name, *exchange;
        int multiplier;
        double tick, margin, commission, settle;
    };
    static const Row kRows[] = {
        {"rb", "rb2705", "螺纹钢2705", "上期所", 10, 1, 0.10, 3.5, 3215},
        {"hc", "hc2705", "热轧卷板2705", "上期所", 10, 1, 0.10, 3.5, 3342},
        {"cu", "cu2702", "沪铜2702", "上期所", 5, 10, 0.10, 0.00005, 78650},
        {"al", "al2702", "沪铝2702", "上期所", 5, 5, 0.10, 3, 20315},
        {"zn", "zn2702", "沪锌2702", "上期所", 5, 5, 0.10, 3, 23480},
        {"au", "au2706", "黄金2706", "上期所", 1000, 0.02, 0.12, 10, 612.38},
        {"ag", "ag2706", "白银2706", "上期所", 15, 1, 0.12, 0.00005, 7528},
        {"ru", "ru2705", "橡胶2705", "上期所", 10, 5, 0.10, 3, 14890},
        {"fu", "fu2705", "燃料油2705", "上期所", 10, 1, 0.10, 2, 2876},
        {"bu", "bu2706", "沥青2706", "上期所", 10, 1, 0.10, 2, 3412},
        {"sc", "sc2702", "原油2702", "上期能源", 1000, 0.1, 0.10, 20, 538.6},
        {"i", "i2705", "铁矿石2705", "大商所", 100, 0.5, 0.12, 6, 782.5},
        {"j", "j2705", "焦炭2705", "大商所", 100, 0.5, 0.15, 10, 1985.5},
        {"jm", "jm2705", "焦煤2705", "大商所", 60, 0.5, 0.15, 10, 1268},
        {"m", "m2705", "豆粕2705", "大商所", 10, 1, 0.08, 1.5, 2856},
        {"y", "y2705", "豆油2705", "大商所", 10, 2, 0.08, 2.5, 7642},
        {"p", "p2705", "棕榈油2705", "大商所", 10, 2, 0.10, 2.5, 8012},
        {"c", "c2705", "玉米2705", "大商所", 10, 1, 0.08, 1.2, 2298},
        {"a", "a2705", "豆一2705", "大商所", 10, 1, 0.08, 2, 4105},
        {"jd", "jd2705", "鸡蛋2705", "大商所", 10, 1, 0.09, 1.5, 3521},
        {"MA", "MA705", "甲醇705", "郑商所", 10, 1, 0.09, 2, 2487},
        {"TA", "TA705", "PTA705", "郑商所", 5, 2, 0.08, 0.0001, 4968},
        {"SR", "SR705", "白糖705", "郑商所", 10, 1, 0.08, 3, 5783},
        {"CF", "CF705", "棉花705", "郑商所", 5, 5, 0.08, 4.3, 13945},
        {"FG", "FG705", "玻璃705", "郑商所", 20, 1, 0.10, 6, 1326},
        {"IF", "IF2701", "沪深300指数2701", "中金所", 300, 0.2, 0.12, 0.000023, 3926.4},
        {"IH", "IH2701", "上证50指数2701", "中金所", 300, 0.2, 0.12, 0.000023, 2688.2},
        {"IC", "IC2701", "中证500指数2701", "中金所", 200, 0.2, 0.14, 0.000023, 5714.8},
        {"T", "T2703", "10年期国债2703", "中金所", 10000, 0.005, 0.02, 3, 107.855},
        {"TF", "TF2703", "5年期国债2703", "中金所", 10000, 0.005, 0.012, 3, 105.62},
    };
    std::vector<Product> products;
    for (const Row& r : kRows) {
        Product p;
        p.variety = r.variety;
        p.code = r.code;
        p.name = r.name;
        p.exchange = r.exchange;
        p.type = "期货";
        p.lastDate = "2027-05-15";
        p.multiplier = r.multiplier;
        p.tick = r.tick;
        p.marginRate = r.margin;
        if (r.commission < 0.01) {
            p.commissionPerLot = 0;
            p.commissionRate = r.commission;
        } else {
            p.commissionPerLot = r.commission;
        }
        p.preSettlement = r.settle;
        products.push_back(p);
    }
    return products;
}

}  // namespace fsim
