#include "formats/lha/lha_writer.h"

#include "formats/lha/member_io.h"

namespace quorvex6::backend::lha {

void Writer::Add(Entry& entry, io::RandomInput* data) { PackMember(out_, entry, data, method_); }

void Writer::Finish() { WriteEnd(out_); }

}  // namespace quorvex6::backend::lha
