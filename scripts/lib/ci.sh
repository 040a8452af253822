# Sourced by the scripts that behave differently under CI.
# True when CI is set, and not to false or 0.
under_ci() {
  case ${CI:-} in
  "" | false | 0) return 1 ;;
  *) return 0 ;;
  esac
}
