// The whole method table, for tools and tests that take any method: every part in turn.
#include <initializer_list>

#include "codecs/method_tables.h"

namespace quorvex6::backend::codecs {

const Method* FindMethod(std::string_view id) {
    for (const MethodTable table : {LhMethods(), RarMethods(), StreamMethods()}) {
        if (const Method* m = FindMethod(table, id)) return m;
    }
    return nullptr;
}

}  // namespace quorvex6::backend::codecs
