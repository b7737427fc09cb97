"""The Quorel bench supply as a pymeasure instrument, reached through quorelctl serve or
the panel's remote control, over VXI-11 or the raw socket:

    from quorel import Quorel
    supply = Quorel("TCPIP::192.168.1.20::INSTR")    # or "TCPIP::host::5025::SOCKET"
    supply.voltage_setpoint = 5.0
    supply.output_enabled = True
    print(supply.voltage, supply.current)

Every setting is checked with the supply's error queue: what the supply refuses raises
QuorelError with the SCPI code and text. Values outside the supply's ranges raise ValueError
before anything is sent."""

from pymeasure.instruments import Instrument
from pyvisa.errors import VisaIOError
from pymeasure.instruments.validators import strict_discrete_set, strict_range

__all__ = ["Quorel", "QuorelError"]

# How many queued errors one check reads at most: the supply's queue holds 16.
_MAX_ERRORS = 32


class QuorelError(Exception):
    """An error the supply reported: `code` (e.g. -222) and `text` ("Data out of range"),
    and `others`, the errors queued after it."""

    def __init__(self, code, text, others=()):
        super().__init__(f"{code}, {text}")
        self.code = code
        self.text = text
        self.others = list(others)


def _switch(command, docs):
    return Instrument.control(
        command + "?", command + " %d", docs, validator=strict_discrete_set,
        values={True: 1, False: 0}, map_values=True, check_set_errors=True)


def _level(command, limit, docs):
    return Instrument.control(
        command + "?", command + " %g", docs, validator=strict_range, values=(0, limit),
        check_set_errors=True)


def _flag(command, docs):
    return Instrument.measurement(command, docs, values={True: 1, False: 0}, map_values=True)


class Quorel(Instrument):
    """The supply: 0 to 20 V, 0 to 1 A, 1.5 W from USB or 6 W from its adapter."""

    def __init__(self, adapter, name="Quorel power supply", **kwargs):
        kwargs.setdefault("read_termination", "\n")
        kwargs.setdefault("write_termination", "\n")
        kwargs.setdefault("timeout", 5000)
        super().__init__(adapter, name, includeSCPI=True, **kwargs)

    voltage_setpoint = _level("VOLT", 20, "The voltage set-point in V (0 to 20).")
    current_limit = _level("CURR", 1, "The current limit in A (0 to 1).")
    output_enabled = _switch("OUTP", "Whether the output is on, as the device confirmed it.")

    voltage = Instrument.measurement("MEAS:VOLT?", "A fresh voltage reading in V.")
    current = Instrument.measurement("MEAS:CURR?", "A fresh current reading in A.")
    power = Instrument.measurement("MEAS:POW?", "A fresh power reading in W.")
    mode = Instrument.measurement("OUTP:MODE?", "'CV', 'CC' or 'OFF', from the last poll.")
    power_source = Instrument.measurement(
        "SYST:POW:SOUR?", "'USB', 'ADAPTER' or 'IDLE' (adapter present, not supplying).")
    charge = Instrument.measurement("ACC:CHAR?", "The charge since the last reset in A·h.")
    energy = Instrument.measurement("ACC:ENER?", "The energy since the last reset in W·h.")

    voltage_protection_level = _level("VOLT:PROT", 20, "Over-voltage protection level in V.")
    voltage_protection_enabled = _switch("VOLT:PROT:STAT", "Whether it is armed.")
    voltage_protection_tripped = _flag("VOLT:PROT:TRIP?", "Whether it tripped (until cleared).")
    current_protection_level = _level("CURR:PROT", 1, "Over-current protection level in A.")
    current_protection_enabled = _switch("CURR:PROT:STAT", "Whether it is armed.")
    current_protection_tripped = _flag("CURR:PROT:TRIP?", "Whether it tripped (until cleared).")
    power_protection_level = _level("POW:PROT", 6, "Over-power protection level in W.")
    power_protection_enabled = _switch("POW:PROT:STAT", "Whether it is armed.")
    power_protection_tripped = _flag("POW:PROT:TRIP?", "Whether it tripped (until cleared).")

    def _command(self, command):
        self.write(command)
        self.check_errors()

    def clear_voltage_protection(self):
        """Clears a trip; the output stays off until switched on."""
        self._command("VOLT:PROT:CLE")

    def clear_current_protection(self):
        self._command("CURR:PROT:CLE")

    def clear_power_protection(self):
        self._command("POW:PROT:CLE")

    def reset_counters(self):
        """Sets charge, energy and the output-on time to 0."""
        self._command("ACC:RES")

    def values(self, command, **kwargs):
        """A query's values; a query the supply refuses answers nothing, so when the answer
        does not come the error queue says why."""
        try:
            return super().values(command, **kwargs)
        except VisaIOError:
            self.check_errors()
            raise

    def check_errors(self):
        """Reads the error queue empty; raises QuorelError for the oldest error found."""
        errors = []
        for _ in range(_MAX_ERRORS):
            code, _, text = self.ask("SYST:ERR?").strip().partition(",")
            if int(code) == 0:
                break
            errors.append((int(code), text.strip('"')))
        if errors:
            (code, text), *others = errors
            raise QuorelError(code, text, [QuorelError(c, t) for c, t in others])
        return errors
