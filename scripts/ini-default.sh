# Sourced by scripts/run (and its test): ini_default FILE SECTION KEY VALUE writes KEY=VALUE into
# [SECTION] of the settings file FILE unless the section already has the key. The new text is
# written to a temporary file beside FILE and renamed over it, so that FILE is either the old or
# the new text. A write that fails (a full disk, a file-size limit) is reported, FILE stays as it
# was and the temporary file goes; the function then fails.
ini_default() {
  local ini=$1 section=$2 key=$3 value=$4 tmp
  if ! tmp=$(mktemp "$ini.XXXXXX"); then
    echo "run: cannot write beside the settings file $ini" >&2
    return 1
  fi
  # With SIGXFSZ ignored, a write past the file-size limit fails (EFBIG) instead of killing awk.
  if ! (
    trap '' XFSZ
    awk -v s="$section" -v k="$key" -v v="$value" '
      function flush() { if (insec && !found) print k "=" v; }
      /^[ \t]*\[/ { name=$0; gsub(/^[ \t]*\[|\][ \t\r]*$/, "", name)
                    if (insec) { flush(); done=1 } insec = (tolower(name) == tolower(s)); if (insec) seen=1 }
      insec { key=$0; sub(/=.*/, "", key); gsub(/^[ \t]+|[ \t]+$/, "", key); if (tolower(key) == tolower(k)) found=1 }
      { print }
      END { if (insec) flush(); else if (!seen) { print "[" s "]"; print k "=" v } }
    ' "$ini" > "$tmp"
  ) 2>/dev/null || ! mv "$tmp" "$ini"; then
    rm -f "$tmp"
    echo "run: cannot write $key into [$section] of the settings file $ini (is the disk full, or the file size limited?); the file is left as it was" >&2
    return 1
  fi
}
