#!/usr/bin/env bash
# Checks the application manifest is well-formed and binds version 6 of the common controls.
# Usage: check-manifest.sh MANIFEST
set -euo pipefail
manifest=$1
xmllint --noout "$manifest"

el() { echo "*[local-name()='$1']"; }
dependency="/$(el assembly)/$(el dependency)/$(el dependentAssembly)/$(el assemblyIdentity)"
dependency+="[@type='win32' and @name='Microsoft.Windows.Common-Controls' and @version='6.0.0.0'"
dependency+=" and @publicKeyToken='6595b64144ccf1df' and @language='*'"
# "*" matches the program's own architecture; "X86" would stop a 64-bit build from starting.
dependency+=" and @processorArchitecture='*']"
identity="/$(el assembly)/$(el assemblyIdentity)[@type='win32' and @version='1.0.0.0']"

status=0
[ "$(xmllint --xpath "count($dependency)" "$manifest")" = 1 ] ||
  { echo "$manifest: no dependency on the common controls, version 6"; status=1; }
[ "$(xmllint --xpath "count($identity)" "$manifest")" = 1 ] ||
  { echo "$manifest: no win32 identity of version 1.0.0.0"; status=1; }
exit $status
