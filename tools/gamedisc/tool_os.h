// What the authoring tool needs of the operating system beyond the
// program's seam: its paths on the command line, the ISO image maker and
// the Authenticode signer.
// tool_os_host.cpp serves the Linux build over the seam's Linux port, where
// a drive letter is mapped onto "/" (as Wine maps Z:); tool_os_win32.cpp the
// Windows console build.
#pragma once

#include <string>

namespace gamedisc {

// Readies the process: the drive mapping and the current folder.
void PrepareToolProcess();
// A path given on the command line, in the form the seam takes.
std::string PathArgument(const std::string& argument);
// A seam path as the user wrote it, for messages.
std::string DisplayPath(const std::string& path);
// Whether a folder's names may come in UTF-8: on Linux a disc mounted by
// the kernel shows its Joliet names so, beside the code-page bytes of a
// folder a build wrote; on Windows the seam gives every name in the
// system's code page.
bool FolderNamesMayBeUtf8();
// Writes the folder `discFolder` as the ISO 9660 image `isoPath` (with
// Joliet names), volume label `label`, every time stamp set to a fixed date
// so that the image repeats. False with `message` set when no image maker is
// at hand or it failed.
bool MakeIsoImage(const std::string& discFolder, const std::string& isoPath, const std::string& label,
                  std::string* message);

// What Windows programs are signed with.
struct SigningKey {
  std::string certificate;   // the PKCS#12 file (.pfx), a seam path
  std::string password;      // its password; empty for a certificate without one
  std::string timestampUrl;  // an RFC 3161 time-stamping service; may be empty
};

// Signs Windows programs with Authenticode (SHA-256) into copies in a
// folder of its own below the system's temporary folder, which only this
// user may enter; the destructor removes the copies and the folder. The
// Linux build runs osslsigncode and hands it the password through a pipe,
// never on its command line; the Windows build signs nothing.
class ProgramSigner {
 public:
  explicit ProgramSigner(const SigningKey& key) : key_(key) {}
  ~ProgramSigner();
  ProgramSigner(const ProgramSigner&) = delete;
  ProgramSigner& operator=(const ProgramSigner&) = delete;

  // Signs `program` (a seam path) as a copy called `name`, described as
  // `description` with the web address `url` (may be empty). The copy's seam
  // path in `signedCopy` (the Linux build's, through the drive
  // PrepareToolProcess maps). False with `message` set when no signer is at
  // hand or it failed (a wrong password, a certificate it cannot read, a
  // time-stamping service it cannot reach); no copy is left then.
  bool Sign(const std::string& program, const std::string& name, const std::string& description,
            const std::string& url, std::string* signedCopy, std::string* message);

 private:
  SigningKey key_;
  std::string folder_;  // the copies' host folder; empty until the first
};

}  // namespace gamedisc
