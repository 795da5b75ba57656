// The stop-rule file as read back at login: whatever the disk holds, a file read as complete
// must write back to the same rules, and no restored rule may carry an id that was cut.
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "positions/stop_rule_file.h"

namespace {

const std::string& Scratch(const char* name) {
    static const std::string dir = ft::fuzz::ScratchDir();
    static std::string path;
    path = dir + "/" + name;
    return path;
}

void Put(const std::string& path, std::string_view bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    const std::string path = Scratch("rules.txt");
    Put(path, fuzz::Text(data, size));
    StopRuleTable table;
    if (!ReadStopRuleFile(path, table)) {
        return 0;
    }
    for (const StopRule& rule : table.Slots()) {
        if (rule.Taken()) {
            FUZZ_CHECK(UsablePositionId(FieldText(rule.positionId)));
        }
    }
    const std::string again = Scratch("again.txt");
    FUZZ_CHECK(WriteStopRuleFile(again, table));
    StopRuleTable reread;
    FUZZ_CHECK(ReadStopRuleFile(again, reread));
    FUZZ_CHECK(std::memcmp(table.Slots().data(), reread.Slots().data(),
                           sizeof(StopRule) * StopRuleTable::kSlots) == 0);
    StopRuleTable restored;
    RestoreStopRules(path, {"1", "2", "abc"}, 1700000000, restored);
    return 0;
}
