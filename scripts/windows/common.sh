# Sourced by the Windows build's commands: where the cached ICU lives and how the package source
# for it is reached.

# tansel_icu_cache VERSION: the cache folder of ICU VERSION built for Windows x64.
tansel_icu_cache() {
  echo "${TANSEL_ICU_CACHE:-$HOME/.cache/tansel}/icu-mingw-$1"
}

# tansel_ensure_deb_src: adds deb-src entries mirroring the system's Debian deb entries (same
# archive, suites and components) when there are none, and refreshes the package lists.
tansel_ensure_deb_src() {
  if grep -Eqs '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    /etc/apt/sources.list.d/*.sources; then
    return 0
  fi
  local out=/etc/apt/sources.list.d/tansel-deb-src.sources
  {
    # deb822 files: every paragraph of Debian's own archive (signed by its key) that has
    # Types: deb, as deb-src; third-party repositories may have no sources.
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
      [ -f "$file" ] || continue
      awk 'BEGIN { RS = ""; ORS = "\n\n" }
        /(^|\n)Types:[^\n]*deb([ \t]|\n|$)/ && /debian-archive-keyring/ {
          sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$file"
    done
    # One-line entries.
    if [ -f /etc/apt/sources.list ]; then
      awk '$1 == "deb" && /debian/ { $1 = "deb-src"; print }' /etc/apt/sources.list
    fi
  } >"$out.tmp"
  if [ ! -s "$out.tmp" ]; then
    rm -f "$out.tmp"
    return 1
  fi
  mv "$out.tmp" "$out"
  apt-get update -qq
}
