# Sourced by the automation server's bus tests and benchmark: a private session bus of their own,
# whose activation folder they choose.
# write_private_bus_config CONFIG_FILE SOCKET_DIR SERVICE_DIR
write_private_bus_config() {
    cat > "$1" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=$2</listen>
  <servicedir>$3</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
}
