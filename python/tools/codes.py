"""Writes ktr4/codes.py: the card's codes of ktr4.h (group "cardcodes") as IntEnum and IntFlag
classes, written out so that help(), type checkers and editors see every member. A member is the
C constant without its group's prefix: KTR4_HOME_ORG_EZ is HomeMode.ORG_EZ."""

# (class, base, prefix, the names it takes after the prefix or None for all, what it is)
GROUPS = [
    ("ResultCode", "IntEnum", ("KTR4_OK", "KTR4_ERR_"), None,
     "The library's result codes (drivers add codes of their own); a non-zero one raises ktr4.Error."),
    ("PulseOutMode", "IntEnum", "KTR4_PULSE_OUT_", None, "Pulse output mode (Axis.pulse_out_mode)."),
    ("PulseInMode", "IntEnum", "KTR4_PULSE_IN_", {"AB_X1", "AB_X2", "AB_X4", "UP_DOWN"},
     "Pulse input (encoder) mode of the feedback counter."),
    ("PulseInOption", "IntEnum", "KTR4_PULSE_IN_", {"NORMAL", "REVERSED"},
     "Counting direction of the feedback counter."),
    ("HomeDirection", "IntEnum", "KTR4_HOME_DIR_", None,
     "Direction an origin return searches in (Axis.home direction)."),
    ("HomeMode", "IntEnum", "KTR4_HOME_", None,
     "Home mode: which signals an origin return runs to and where it stops."),
    ("CompareSource", "IntEnum", "KTR4_CMP_SRC_", None, "What the comparator compares (Comparator.source)."),
    ("CompareAction", "IntEnum", "KTR4_CMP_ACT_", None,
     "What the comparator does when its condition becomes true (Comparator.action)."),
    ("CmpOutMode", "IntEnum", "KTR4_CMP_OUT_", None, "How the comparator drives the CMP output."),
    ("CompareCondition", "IntEnum", "KTR4_CMP_", None, "The comparator's condition (Comparator.condition)."),
    ("SoftLimitSource", "IntEnum", "KTR4_SOFTLIMIT_", {"COMMAND", "FEEDBACK"},
     "What the soft limits compare (SoftLimits.source)."),
    ("SoftLimitAction", "IntEnum", "KTR4_SOFTLIMIT_", {"STOP", "DECEL_STOP", "FLAG"},
     "What a soft limit does when reached (SoftLimits.action)."),
    ("ElMode", "IntEnum", "KTR4_EL_", None, "How an end-limit switch (EL) stops the axis (Axis.el_mode)."),
    ("Logic", "IntEnum", "KTR4_LOGIC_", None, "Logic of a sensor input (Axis.home_logic, Axis.ez_logic)."),
    ("AlarmStop", "IntEnum", "KTR4_ALM_", None, "How the alarm input (ALM) stops the axis."),
    ("ErcWidth", "IntEnum", "KTR4_ERC_WIDTH_", None, "Width of the ERC (error-counter clear) pulse."),
    ("ErcOffTime", "IntEnum", "KTR4_ERC_OFF_", None, "Time the ERC output stays off after its pulse."),
    ("SdStop", "IntEnum", "KTR4_SD_", {"SLOW", "STOP"}, "What the slow-down input (SD) does."),
    ("SdLatch", "IntEnum", "KTR4_SD_", {"WHILE_ON", "LATCHED"}, "How long SD keeps the axis slow."),
    ("LatchSource", "IntEnum", "KTR4_LTC_", None, "Which counter the latch input (LTC) latches."),
    ("TtlMode", "IntEnum", "KTR4_TTL_", None, "Which TTL lines are outputs (Card.ttl_mode)."),
    ("Point", "IntEnum", "KTR4_POINT_", None, "Input points of Axis.read_point (and output states)."),
    ("Output", "IntEnum", "KTR4_OUT_", None, "Output points of Axis.write_output."),
    ("Event", "IntFlag", "KTR4_EVENT_", None,
     "Event bits: event factor, event flag and interrupt source (Axis.interrupt_on, Axis.read_events)."),
    ("ErrorFlag", "IntFlag", "KTR4_ERROR_", None, "Error flag bits: why the axis stopped (Axis.error_flags)."),
    ("Status", "IntFlag", "KTR4_STATUS_", None, "Main status word bits."),
    ("InterruptPending", "IntFlag", "KTR4_INT_", None, "Bits of the interrupt status field (KTR4_read_INT_status)."),
]


# Groups whose members keep more of the C name: where the rest would not be a name (TTL_1_OUT),
# the result codes, which keep ERR_ (ResultCode.ERR_CARD), and the ERC times (ErcWidth.WIDTH_12US).
KEEP = {"TtlMode": "KTR4_", "ResultCode": "KTR4_", "ErcWidth": "KTR4_ERC_", "ErcOffTime": "KTR4_ERC_"}


def group_of(name):
    """(class, member) of a constant, or None when no group takes it."""
    for cls, _, prefix, names, _ in GROUPS:
        if name.startswith(prefix):
            rest = name[len(prefix if isinstance(prefix, str) else next(p for p in prefix if name.startswith(p))):]
            if names is None or rest in names:
                return cls, name[len(KEEP[cls]):] if cls in KEEP else rest
    return None


def source(defines, docs):
    """The text of codes.py for the header's (name, value) constants and their docs."""
    members = {cls: [] for cls, *_ in GROUPS}
    for name, value in defines:
        found = group_of(name)
        if found:
            members[found[0]].append((found[1], value, name))
    text = ['"""The card\'s codes by name, generated from ktr4.h (its "card\'s codes" group) when the package was',
            'built. Each member is the C constant without its prefix: KTR4_HOME_ORG_EZ is HomeMode.ORG_EZ;',
            'man 7 ktr4-card tells what each one does. They are ints, taken wherever a code is."""', "",
            "import enum"]
    for cls, base, _, _, what in GROUPS:
        text += ["", "", f"class {cls}(enum.{base}):", f'    """{what}"""', ""]
        for member, value, name in members[cls]:
            hint = docs.get(name, "")
            text.append(f"    {member} = {value:#x}" if base == "IntFlag" else f"    {member} = {value}")
            text.append(f'    """{name}: {hint}"""' if hint else f'    """{name}"""')
    text += ["", "", "__all__ = [" + ", ".join(f'"{cls}"' for cls, *_ in GROUPS) + "]", ""]
    return "\n".join(text)
