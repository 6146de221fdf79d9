#pragma once
// The automation interface's names and its type library: the introspection document of the
// object, kept as example.quibo.ICQuibo.xml and built into the program.

#include <QString>

namespace Quibo_TLB {

/// The well-known name under which a free instance waits for its client.
inline constexpr char ServiceName[] = "example.quibo.Quibo";
inline constexpr char ObjectPath[] = "/example/quibo/CQuibo";
inline constexpr char InterfaceICQuibo[] = "example.quibo.ICQuibo";
inline constexpr char InterfaceICQuiboEvents[] = "example.quibo.ICQuiboEvents";
/// Holds `Release`, the client's end of its use of the object.
inline constexpr char InterfaceLifetime[] = "example.quibo.Lifetime";
/// The one error any member answers for an error raised while it runs; the message is its text.
inline constexpr char ErrorUnexpected[] = "example.quibo.Error.Unexpected";

/// The whole introspection document, as installed for clients by registration.
QString TypeLibrary();
/// Its interface elements, as the object answers an introspection request.
QString InterfaceElements();

} // namespace Quibo_TLB
