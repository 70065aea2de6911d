#pragma once
// Why a server's certificate was refused, as the end of a French sentence
// about `server` ("serveur smtp.exemple.fr"): "le certificat du serveur
// smtp.exemple.fr n'est pas reconnu (certificat auto-signé).".
#include <string>

namespace vellumo {

struct SmtpFailureDetails;

std::string CertificateText(const SmtpFailureDetails& failure, const std::string& server);

// True when the library's detail names a certificate verdict (Schannel's
// way of reporting one, even as a failed handshake).
bool NamesCertificateVerdict(const std::string& detail);

}  // namespace vellumo
