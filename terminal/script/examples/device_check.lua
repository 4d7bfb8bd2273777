-- End-of-line check of a device on the bench (tessa-device answers every step):
--   tessa-run --run device_check.lua --port /dev/ttyUSB0 --baud 115200 --junit report.xml --log traffic.log
-- Exit status 0 when every step passed, 1 when one failed (the report names it), 2 when the
-- port or the script could not be used.

step("firmware version", function()
  send_line("ver")
  local line = expect("VER *\r\n", 2000)
  log("device says", line:sub(1, -3))
  local version = modbus.read(1, 0x0200, 1)
  assert(version.verdict == "good", "version register: " .. version.verdict)
  assert(version.values[1] >= 100, "firmware " .. version.values[1] .. " is older than 100")
  log("firmware", version.values[1], string.format("%.1f ms", version.ms))
end)

step("self test", function()
  send_line("test")
  expect("TEST OK\r\n", 2000)
end)

step("outputs follow their inputs", function()
  for _, pattern in ipairs({"0001", "0010", "0100", "1000"}) do
    send_line("c71=1111")
    expect("OUT=0000\r\n", 1000)
    send_line("c69=" .. pattern)
    expect("OUT=" .. pattern .. "\r\n", 1000)
    send_line("c54")
    expect("IN=" .. pattern .. "\r\n", 1000)
  end
end)

step("parameter register keeps a value", function()
  local written = modbus.write(1, 0x0010, 1234)
  assert(written.verdict == "good", "write: " .. written.verdict)
  local read = modbus.read(1, 0x0010, 1)
  assert(read.verdict == "good" and read.values[1] == 1234, "read back: " .. read.text)
end)

step("register outside the map is refused", function()
  local r = modbus.read(1, 0x0400, 1)
  assert(r.verdict == "exception" and r.exception == 2, "expected exception 02, got " .. r.text)
end)
