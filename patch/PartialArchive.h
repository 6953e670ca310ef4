// An archive download that has not finished yet, kept in the game folder beside the
// archive's name: "<archive>.partial" holds the bytes received so far and
// "<archive>.validator" the validator of the answer they came from. A partial file
// is never taken for an archive: it becomes one only by Complete, after its last
// byte arrived.
#pragma once

#include "net/Loader.h"

#include <string>

class cPartialArchive {
public:
  explicit cPartialArchive(const char* archiveName);

  const char* DataName() const { return m_data.c_str(); }
  const char* ValidatorName() const { return m_validator.c_str(); }

  // Sets transfer up to continue what an earlier run left: offset and validator of a
  // partial file that has a usable validator beside it. Anything else that is there
  // (a partial file without validator, a validator alone) is removed and the
  // transfer starts at 0.
  void Prepare(FileTransfer* transfer);
  // The transfer is complete: the validator goes and the partial file is moved over
  // the archive's name. False when the move fails; nothing partial is left then.
  bool Complete();
  // Removes the partial file and its validator.
  void Discard();

  // Removes every interrupted archive download of the game folder but those of the
  // archives keep and keepToo (either may be null).
  static void RemoveOthers(const char* keep, const char* keepToo);

private:
  std::string m_archive;
  std::string m_data;
  std::string m_validator;
};
