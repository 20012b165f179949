#include "packs/DecodeError.h"

namespace plinkum {

DecodeError::DecodeError(Kind kind, const QString &message)
    : std::runtime_error(message.toStdString()), m_kind(kind)
{
}

} // namespace plinkum
