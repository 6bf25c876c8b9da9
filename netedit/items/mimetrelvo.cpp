#include "items/mimetrelvo.h"

namespace Trelvoga {

MimeTrelvo::MimeTrelvo(const QVariantMap &map)
    : m_map(map)
{
}

MimeTrelvo::~MimeTrelvo() = default;

} // namespace Trelvoga
