# Sourced by the scripts: what they do with their command line.
#   refuse_argument NAME USAGE ARG: names a wrong argument, shows the usage on stderr, exit 2.
#   takes_no_options NAME USAGE "$@": --help (or -h) prints USAGE and ends; any other
#   argument is refused.
refuse_argument() {
  case "$3" in
    -*) echo "$1: unknown option $3" >&2 ;;
    *) echo "$1: unexpected argument $3" >&2 ;;
  esac
  printf '%s\n' "$2" >&2
  exit 2
}

takes_no_options() {
  local name="$1" usage="$2"
  shift 2
  [ $# -eq 0 ] && return
  case "$1" in
    -h | --help) printf '%s\n' "$usage"; exit 0 ;;
    *) refuse_argument "$name" "$usage" "$1" ;;
  esac
}
